// Adds files to and removes them from the process-wide file cache.
#pragma once

#include "platform/automation/automation.h"

namespace vant {

// {AA30B1DF-1F48-4B3E-9C8D-E2B43848E7E8}
struct IManager : IDispatch {
  static constexpr IID kIid = MakeGuid(0xAA30B1DF, 0x1F48, 0x4B3E, 0x9C, 0x8D, 0xE2, 0xB4, 0x38, 0x48, 0xE7, 0xE8);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT OnStartPage(IUnknown* piUnk) = 0;
  virtual HRESULT OnEndPage() = 0;
  virtual HRESULT get__NewEnum(IUnknown** out) = 0;
  virtual HRESULT AddCacheFile(const Bstr& bstrFilePath) = 0;
  virtual HRESULT RemoveCacheFile(const Bstr& bstrFilePath) = 0;
};

}  // namespace vant
