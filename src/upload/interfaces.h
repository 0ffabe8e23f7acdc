// The upload object a page creates to receive a multipart/form-data post.
#pragma once

#include "platform/automation/automation.h"

namespace vant {

// {A60E07D4-4A81-49F2-9F2E-3ED4478EF375}
struct IFileUpload : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xA60E07D4, 0x4A81, 0x49F2, 0x9F, 0x2E, 0x3E, 0xD4, 0x47, 0x8E, 0xF3, 0x75);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT OnStartPage(IUnknown* piUnk) = 0;
  virtual HRESULT OnEndPage() = 0;
  virtual HRESULT get_Form(Variant* out) = 0;
  virtual HRESULT get_DefaultPath(Bstr* out) = 0;
  virtual HRESULT put_DefaultPath(const Bstr& value) = 0;
  virtual HRESULT get_CodePage(int32_t* out) = 0;
  virtual HRESULT put_CodePage(int32_t value) = 0;
  virtual HRESULT get_AutoMakeFolder(VARIANT_BOOL* out) = 0;
  virtual HRESULT put_AutoMakeFolder(VARIANT_BOOL value) = 0;
  virtual HRESULT get_FileLen(int32_t* out) = 0;
  virtual HRESULT get_FileName(Bstr* out) = 0;
  virtual HRESULT get_FilePath(Bstr* out) = 0;
  virtual HRESULT get_ImageFormat(Bstr* out) = 0;
  virtual HRESULT get_ImageHeight(int32_t* out) = 0;
  virtual HRESULT get_ImageWidth(int32_t* out) = 0;
  virtual HRESULT get_MimeType(Bstr* out) = 0;
  virtual HRESULT get_LastSavedFileName(Bstr* out) = 0;
  virtual HRESULT get_LastSavedFilePath(Bstr* out) = 0;
  virtual HRESULT put_UseIE5BugFix(VARIANT_BOOL value) = 0;
  virtual HRESULT get_Version(Bstr* out) = 0;
  virtual HRESULT put_MaxFileLen(int32_t value) = 0;
  virtual HRESULT get_MaxFileLen(int32_t* out) = 0;
  virtual HRESULT get_UploadTimeout(int32_t* out) = 0;
  virtual HRESULT put_UploadTimeout(int32_t value) = 0;
  virtual HRESULT get_TotalLen(int32_t* out) = 0;
  virtual HRESULT put_TotalLen(int32_t value) = 0;
  virtual HRESULT get_TempFilePath(Bstr* out) = 0;
  virtual HRESULT IsFileItem(VARIANT_BOOL* out) = 0;
  virtual HRESULT IsImageItem(VARIANT_BOOL* out) = 0;
  virtual HRESULT DeleteAllSavedFiles() = 0;
  virtual HRESULT Save(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) = 0;
  virtual HRESULT SaveAs(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) = 0;
  virtual HRESULT SaveVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) = 0;
  virtual HRESULT SaveAsVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) = 0;
  virtual HRESULT SaveAsBlob(IUnknown* pField) = 0;
  virtual HRESULT FileExists(const Bstr& strFilePath, VARIANT_BOOL* out) = 0;
  virtual HRESULT FolderExists(const Bstr& strFolderPath, VARIANT_BOOL* out) = 0;
  virtual HRESULT DeleteFile(const Bstr& strFilePath, VARIANT_BOOL* out) = 0;
  virtual HRESULT Flush() = 0;
  virtual HRESULT SetProgress(int32_t lProgressID) = 0;
  virtual HRESULT get_FileNameWithoutExt(Bstr* out) = 0;
  virtual HRESULT get_FileExtension(Bstr* out) = 0;
  virtual HRESULT get_IVirusInfo(IDispatch** out) = 0;
  virtual HRESULT get_IsInfected(VARIANT_BOOL* out) = 0;
  virtual HRESULT get_VirusName(Bstr* out) = 0;
};

}  // namespace vant
