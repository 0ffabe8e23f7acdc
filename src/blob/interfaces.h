// Moves files into and out of database BLOB fields.
#pragma once

#include "platform/automation/automation.h"

namespace vant {

// {1B8BF967-F3AA-415C-9E91-78D2CB6BB088}
struct IBLOBManager : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x1B8BF967, 0xF3AA, 0x415C, 0x9E, 0x91, 0x78, 0xD2, 0xCB, 0x6B, 0xB0, 0x88);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT OnStartPage(IUnknown* piUnk) = 0;
  virtual HRESULT OnEndPage() = 0;
  virtual HRESULT SaveBlobAsFile(IUnknown* dbField, const Bstr& bstrFilePath,
                                 VARIANT_BOOL bOverwrite, Bstr* out) = 0;
  virtual HRESULT SaveFileAsBlob(const Bstr& bstrStrPath, IUnknown* dbField) = 0;
};

}  // namespace vant
