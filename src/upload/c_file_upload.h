// CFileUpload, the implementation behind IFileUpload. Its members are
// spread over a few files by concern: lifetime and page binding
// (file_upload.cpp), settings (file_upload_settings.cpp), form access and
// the members forwarded to the first file (file_upload_form.cpp), and the
// file-system helpers (file_upload_files.cpp).
#pragma once

#include <cstdint>

#include "form/form_element_multi_collection.h"
#include "frame/class_creators.h"
#include "frame/page_object.h"
#include "progress/progress_link.h"
#include "upload/body_reader.h"
#include "upload/interfaces.h"
#include "upload/multipart_parser.h"
#include "upload/page_state.h"
#include "upload/upload_errors.h"
#include "upload/upload_settings.h"

namespace vant::upload {

class CFileUpload
    : public ComObject<CFileUpload,
                       frame::PageObject<CFileUpload, IFileUpload, frame::PageObjects::Upload>,
                       frame::SupportErrorInfo<IFileUpload>> {
 public:
  explicit CFileUpload(progress::ProgressTable& table);
  ~CFileUpload() override { FinalRelease(); }

  // Makes the form's multi-collection and links it to the error flag.
  // E_FAIL when it cannot be made.
  HRESULT FinalConstruct();

  // Page steps around the base's OnStartPage/OnEndPage: the session's code
  // page and time-out and the script time-out for the length of the upload.
  void PageStarted();
  void PageEnding();
  HRESULT PageFailure(std::u16string_view member);

  HRESULT get_Form(Variant* out) override;
  HRESULT get_DefaultPath(Bstr* out) override;
  HRESULT put_DefaultPath(const Bstr& value) override;
  HRESULT get_CodePage(int32_t* out) override;
  HRESULT put_CodePage(int32_t value) override;
  HRESULT get_AutoMakeFolder(VARIANT_BOOL* out) override;
  HRESULT put_AutoMakeFolder(VARIANT_BOOL value) override;
  HRESULT get_FileLen(int32_t* out) override;
  HRESULT get_FileName(Bstr* out) override;
  HRESULT get_FilePath(Bstr* out) override;
  HRESULT get_ImageFormat(Bstr* out) override;
  HRESULT get_ImageHeight(int32_t* out) override;
  HRESULT get_ImageWidth(int32_t* out) override;
  HRESULT get_MimeType(Bstr* out) override;
  HRESULT get_LastSavedFileName(Bstr* out) override;
  HRESULT get_LastSavedFilePath(Bstr* out) override;
  HRESULT put_UseIE5BugFix(VARIANT_BOOL value) override;
  HRESULT get_Version(Bstr* out) override;
  HRESULT put_MaxFileLen(int32_t value) override;
  HRESULT get_MaxFileLen(int32_t* out) override;
  HRESULT get_UploadTimeout(int32_t* out) override;
  HRESULT put_UploadTimeout(int32_t value) override;
  HRESULT get_TotalLen(int32_t* out) override;
  HRESULT put_TotalLen(int32_t value) override;
  HRESULT get_TempFilePath(Bstr* out) override;
  HRESULT IsFileItem(VARIANT_BOOL* out) override;
  HRESULT IsImageItem(VARIANT_BOOL* out) override;
  HRESULT DeleteAllSavedFiles() override;
  HRESULT Save(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) override;
  HRESULT SaveAs(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) override;
  HRESULT SaveVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) override;
  HRESULT SaveAsVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) override;
  HRESULT SaveAsBlob(IUnknown* pField) override;
  HRESULT FileExists(const Bstr& strFilePath, VARIANT_BOOL* out) override;
  HRESULT FolderExists(const Bstr& strFolderPath, VARIANT_BOOL* out) override;
  HRESULT DeleteFile(const Bstr& strFilePath, VARIANT_BOOL* out) override;
  HRESULT Flush() override;
  HRESULT SetProgress(int32_t lProgressID) override;
  HRESULT get_FileNameWithoutExt(Bstr* out) override;
  HRESULT get_FileExtension(Bstr* out) override;
  HRESULT get_IVirusInfo(IDispatch** out) override;
  HRESULT get_IsInfected(VARIANT_BOOL* out) override;
  HRESULT get_VirusName(Bstr* out) override;

 private:
  // Parses the body on the first call; later calls answer from the result.
  HRESULT _PreUploadContents();
  // _PreUploadContents, then 0x40020015 when the form has no file element.
  HRESULT _PreUploadForFirstFileItem();
  // Runs a member of the first file element after parsing.
  template <class Call>
  HRESULT Forward(Call&& call);
  HRESULT SetDefaultPath(const Bstr& value);
  // Release: progress record, leftover files, the form.
  void FinalRelease();

  UploadPageState pageState_;
  UploadSettings settings_;
  UploadErrors errors_;
  progress::ProgressLink progress_;
  BodyReader reader_;
  ComPtr<form::CFormElementMultiCollection> form_;
  ComPtr<form::CFormElement> firstFileElement_;  // target of the forwarded members
  bool parsed_ = false;
  frame::ModuleLock moduleLock_;
};

}  // namespace vant::upload
