// A snapshot of one upload's progress record.
#pragma once

#include "platform/automation/automation.h"

namespace vant {

// {EE412154-1818-4847-A252-FF80D5C9A593}
struct IProgress : IDispatch {
  static constexpr IID kIid = MakeGuid(0xEE412154, 0x1818, 0x4847, 0xA2, 0x52, 0xFF, 0x80, 0xD5, 0xC9, 0xA5, 0x93);
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

}  // namespace vant
