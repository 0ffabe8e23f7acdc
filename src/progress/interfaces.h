// The interfaces of upload progress: the record a page reads, and the monitor.
#pragma once

#include "platform/automation/automation.h"

namespace vant {

// A snapshot of one upload's progress record.
// {EE412154-1818-4847-A252-FF80D5C9A593}
struct IProgress : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xEE412154, 0x1818, 0x4847, 0xA2, 0x52, 0xFF, 0x80, 0xD5, 0xC9, 0xA5, 0x93);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_TotalSize(int32_t* out) = 0;
  virtual HRESULT get_TransferSize(int32_t* out) = 0;
  virtual HRESULT get_Percent(int32_t* out) = 0;
  virtual HRESULT get_BytesPerSec(int32_t* out) = 0;
  virtual HRESULT get_FileName(Bstr* out) = 0;
  virtual HRESULT get_Working(VARIANT_BOOL* out) = 0;
  virtual HRESULT SetProgressID(int32_t lProgressID) = 0;
  virtual HRESULT GetProgressID(int32_t* out) = 0;
};

// Issues progress identifiers and renders the upload monitor page.
// {D8391032-AC4D-4B15-A0E0-9F0ABD7447DD}
struct IFileUploadMonitor : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xD8391032, 0xAC4D, 0x4B15, 0xA0, 0xE0, 0x9F, 0x0A, 0xBD, 0x74, 0x47, 0xDD);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT OnStartPage(IUnknown* piUnk) = 0;
  virtual HRESULT OnEndPage() = 0;
  virtual HRESULT UseMonitor(VARIANT_BOOL vbUse) = 0;
  virtual HRESULT ShowMonitor() = 0;
};

}  // namespace vant
