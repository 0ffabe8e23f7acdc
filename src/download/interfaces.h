// The interfaces of downloads: sending a file or field, and the file cache.
#pragma once

#include "platform/automation/automation.h"

namespace vant {

// Sends a file, a cached file or a database field to the browser.
// {07467BCC-19D9-427F-AB4D-6D7E92EC259C}
struct IFileDownload : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x07467BCC, 0x19D9, 0x427F, 0xAB, 0x4D, 0x6D, 0x7E, 0x92, 0xEC, 0x25, 0x9C);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT OnStartPage(IUnknown* piUnk) = 0;
  virtual HRESULT OnEndPage() = 0;
  virtual HRESULT Download(const Bstr& bstrFilePath, const Bstr& bstrFileName, VARIANT_BOOL bAttach,
                           VARIANT_BOOL bResume) = 0;
  virtual HRESULT DownloadVirtual(const Bstr& bstrFilePath, const Bstr& bstrFileName,
                                  VARIANT_BOOL bAttach, VARIANT_BOOL bResume) = 0;
  virtual HRESULT DownloadBlob(IUnknown* dbField, const Bstr& bstrFileName,
                               VARIANT_BOOL bAttach) = 0;
};

// Adds files to and removes them from the process-wide file cache.
// {AA30B1DF-1F48-4B3E-9C8D-E2B43848E7E8}
struct IManager : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xAA30B1DF, 0x1F48, 0x4B3E, 0x9C, 0x8D, 0xE2, 0xB4, 0x38, 0x48, 0xE7, 0xE8);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT OnStartPage(IUnknown* piUnk) = 0;
  virtual HRESULT OnEndPage() = 0;
  virtual HRESULT get__NewEnum(IUnknown** out) = 0;
  virtual HRESULT AddCacheFile(const Bstr& bstrFilePath) = 0;
  virtual HRESULT RemoveCacheFile(const Bstr& bstrFilePath) = 0;
};

}  // namespace vant
