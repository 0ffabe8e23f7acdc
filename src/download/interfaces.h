// Sends a file, a cached file or a database field to the browser.
#pragma once

#include "platform/automation/automation.h"

namespace vant {

// {07467BCC-19D9-427F-AB4D-6D7E92EC259C}
struct IFileDownload : IDispatch {
  static constexpr IID kIid = MakeGuid(0x07467BCC, 0x19D9, 0x427F, 0xAB, 0x4D, 0x6D, 0x7E, 0x92, 0xEC, 0x25, 0x9C);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT OnStartPage(IUnknown* piUnk) = 0;
  virtual HRESULT OnEndPage() = 0;
  virtual HRESULT Download(const Bstr& bstrFilePath, const Bstr& bstrFileName, VARIANT_BOOL bAttach, VARIANT_BOOL bResume) = 0;
  virtual HRESULT DownloadVirtual(const Bstr& bstrFilePath, const Bstr& bstrFileName, VARIANT_BOOL bAttach, VARIANT_BOOL bResume) = 0;
  virtual HRESULT DownloadBlob(IUnknown* dbField, const Bstr& bstrFileName, VARIANT_BOOL bAttach) = 0;
};

}  // namespace vant
