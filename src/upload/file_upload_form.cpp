// CFileUpload's form: the one parse of the body, and the members forwarded
// to the first file element so a page with one file input needs no
// collection code.
#include "form/delete_mode.h"
#include "frame/member_guard.h"
#include "upload/c_file_upload.h"

namespace vant::upload {

using frame::MessageId;

HRESULT CFileUpload::_PreUploadContents() {
  return errors_.Guard(u"_PreUploadContents", [&]() -> HRESULT {
    if (errors_.IsSet()) return E_FAIL;
    if (parsed_) return S_OK;
    if (reader_.Flushed()) return errors_.Report(MessageId::kBodyAlreadyDrained);
    if (!settings_.defaultPathSet) return errors_.Report(MessageId::kDefaultPathNotSet);
    MultipartParser parser(context_, settings_, reader_, errors_, progress_, *form_);
    const HRESULT hr = parser._UploadContents();
    firstFileElement_ = ComPtr<form::CFormElement>(parser.FirstFileElement());
    if (Failed(hr)) {
      // The temporary files of the parts read before the failure.
      form_->DeleteAllSavedFiles(form::DeleteModeAll);
      return E_FAIL;
    }
    // After a body that ended right behind a delimiter the error flag is set
    // too: this call succeeds, later form accesses fail.
    parsed_ = true;
    return S_OK;
  });
}

HRESULT CFileUpload::_PreUploadForFirstFileItem() {
  return errors_.Guard(u"_PreUploadForFirstFileItem", [&]() -> HRESULT {
    if (Failed(_PreUploadContents())) return E_FAIL;
    if (!firstFileElement_) return errors_.Report(MessageId::kNoFileElement);
    return S_OK;
  });
}

template <class Call>
HRESULT CFileUpload::Forward(Call&& call) {
  if (Failed(_PreUploadForFirstFileItem())) return E_FAIL;
  return call(*firstFileElement_);
}

HRESULT CFileUpload::get_Form(Variant* out) {
  if (out == nullptr) return E_POINTER;
  return errors_.Guard(frame::MemberName<&IFileUpload::get_Form>(), [&]() -> HRESULT {
    if (Failed(_PreUploadContents())) return E_FAIL;
    *out = Variant::Dispatch(form_.get());
    return S_OK;
  });
}

// A null output gives E_POINTER before anything is parsed. (OutType is a
// type and member a name: neither can be put in parentheses.)
// NOLINTBEGIN(bugprone-macro-parentheses)
#define VANT_FORWARD(member, OutType)                                     \
  HRESULT CFileUpload::member(OutType* out) {                             \
    if (out == nullptr) return E_POINTER;                                 \
    return Forward([&](form::CFormElement& e) { return e.member(out); }); \
  }
// NOLINTEND(bugprone-macro-parentheses)

VANT_FORWARD(get_FileLen, int32_t)
VANT_FORWARD(get_FileName, Bstr)
VANT_FORWARD(get_FilePath, Bstr)
VANT_FORWARD(get_ImageFormat, Bstr)
VANT_FORWARD(get_ImageHeight, int32_t)
VANT_FORWARD(get_ImageWidth, int32_t)
VANT_FORWARD(get_MimeType, Bstr)
VANT_FORWARD(get_LastSavedFileName, Bstr)
VANT_FORWARD(get_LastSavedFilePath, Bstr)
VANT_FORWARD(get_TempFilePath, Bstr)
VANT_FORWARD(IsFileItem, VARIANT_BOOL)
VANT_FORWARD(IsImageItem, VARIANT_BOOL)
VANT_FORWARD(get_FileNameWithoutExt, Bstr)
VANT_FORWARD(get_FileExtension, Bstr)
VANT_FORWARD(get_IsInfected, VARIANT_BOOL)
VANT_FORWARD(get_VirusName, Bstr)

#undef VANT_FORWARD

HRESULT CFileUpload::Save(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) {
  return Forward([&](form::CFormElement& e) { return e.Save(bstrPath, bOverwrite, out); });
}

HRESULT CFileUpload::SaveAs(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) {
  return Forward([&](form::CFormElement& e) { return e.SaveAs(bstrPath, bOverwrite, out); });
}

HRESULT CFileUpload::SaveVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) {
  return Forward([&](form::CFormElement& e) { return e.SaveVirtual(bstrPath, bOverwrite, out); });
}

HRESULT CFileUpload::SaveAsVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) {
  return Forward([&](form::CFormElement& e) { return e.SaveAsVirtual(bstrPath, bOverwrite, out); });
}

HRESULT CFileUpload::SaveAsBlob(IUnknown* pField) {
  return Forward([&](form::CFormElement& e) { return e.SaveAsBlob(pField); });
}

}  // namespace vant::upload
