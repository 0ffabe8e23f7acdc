// CFormElement: the getters, the record's cleanup and the helpers the save
// members share.
#include "form/form_element.h"

#include "frame/member_guard.h"
#include "platform/fs/file_info.h"

namespace vant::form {
namespace {

constexpr char16_t kDot = u'.';

// Copies a record string into a result.
HRESULT CopyOut(const std::u16string& value, Bstr* out) {
  if (out == nullptr) return E_POINTER;
  return frame::GuardGetter([&] {
    *out = Bstr(value);
    return S_OK;
  });
}

template <class T>
HRESULT ValueOut(T value, T* out) {
  if (out == nullptr) return E_POINTER;
  *out = value;
  return S_OK;
}

}  // namespace

HRESULT CFormElement::get_Value(Bstr* out) {
  return CopyOut(item_.IsFileItem ? item_.FilePath : item_.Value, out);
}
HRESULT CFormElement::get_FileLen(int32_t* out) { return ValueOut(item_.FileLen, out); }
HRESULT CFormElement::get_FileName(Bstr* out) { return CopyOut(item_.FileName, out); }
HRESULT CFormElement::get_FilePath(Bstr* out) { return CopyOut(item_.FilePath, out); }
HRESULT CFormElement::get_ImageFormat(Bstr* out) { return CopyOut(item_.ImageFormat, out); }
HRESULT CFormElement::get_ImageHeight(int32_t* out) { return ValueOut(item_.ImageHeight, out); }
HRESULT CFormElement::get_ImageWidth(int32_t* out) { return ValueOut(item_.ImageWidth, out); }
HRESULT CFormElement::get_MimeType(Bstr* out) { return CopyOut(item_.MimeType, out); }
HRESULT CFormElement::get_Name(Bstr* out) { return CopyOut(item_.Name, out); }

HRESULT CFormElement::get_LastSavedFileName(Bstr* out) {
  if (out == nullptr) return E_POINTER;
  if (!item_.saved) return Report(frame::MessageId::kNotSavedFileName);
  return CopyOut(item_.LastSavedFileName, out);
}

HRESULT CFormElement::get_LastSavedFilePath(Bstr* out) {
  if (out == nullptr) return E_POINTER;
  if (!item_.saved) return Report(frame::MessageId::kNotSavedFilePath);
  return CopyOut(item_.LastSavedFilePath, out);
}

HRESULT CFormElement::get_TempFilePath(Bstr* out) {
  if (out == nullptr) return E_POINTER;
  if (item_.saved) return Report(frame::MessageId::kTempFileAfterSave);
  return CopyOut(item_.TempFilePath, out);
}

HRESULT CFormElement::IsFileItem(VARIANT_BOOL* out) {
  return ValueOut(ToVariantBool(item_.IsFileItem), out);
}
HRESULT CFormElement::IsImageItem(VARIANT_BOOL* out) {
  return ValueOut(ToVariantBool(item_.IsImageItem), out);
}

HRESULT CFormElement::get_FileNameWithoutExt(Bstr* out) {
  const std::size_t dot = item_.FileName.rfind(kDot);
  return CopyOut(dot == std::u16string::npos ? item_.FileName : item_.FileName.substr(0, dot), out);
}

HRESULT CFormElement::get_FileExtension(Bstr* out) {
  const std::size_t dot = item_.FileName.rfind(kDot);
  return CopyOut(dot == std::u16string::npos ? std::u16string() : item_.FileName.substr(dot + 1),
                 out);
}

HRESULT CFormElement::get_IsInfected(VARIANT_BOOL* out) {
  return ValueOut(ToVariantBool(item_.IsInfected), out);
}

HRESULT CFormElement::get_VirusName(Bstr* out) {
  if (out == nullptr) return E_POINTER;
  return frame::GuardGetter([&] {
    *out = item_.VirusName;
    return S_OK;
  });
}

HRESULT CFormElement::InterfaceSupportsErrorInfo(const IID& iid) {
  return frame::InterfaceSupportsErrorInfo(IFormElement::kIid, iid);
}

HRESULT CFormElement::DeleteSavedFile(std::int32_t mode) {
  return frame::GuardMember(kFormElementClass, u"DeleteSavedFile", [&] {
    if (!item_.IsFileItem) return S_OK;
    if (mode == DeleteModeTempOnly && item_.saved) return S_OK;
    const std::u16string& path = item_.saved ? item_.LastSavedFilePath : item_.TempFilePath;
    // A file already gone is what the cleanup wanted.
    if (!fs::FileExists(path)) return S_OK;
    if (fs::DeleteFile(path).ok()) return S_OK;
    return Report(frame::MessageId::kDeleteSavedFileFailed, {path});
  });
}

HRESULT CFormElement::Report(frame::MessageId id, const frame::Inserts& inserts) const {
  return frame::ReportErrorOnce(item_.errorFlagLink, id, inserts);
}

std::u16string CFormElement::MapIfVirtual(const Bstr& path) const {
  if (path.view().find(u'/') == std::u16string_view::npos) return path.str();
  return MapAlways(path);
}

std::u16string CFormElement::MapAlways(const Bstr& path) const {
  Bstr mapped;
  if (item_.serverObject && Succeeded(item_.serverObject->MapPath(path, &mapped))) {
    return mapped.str();
  }
  return path.str();
}

}  // namespace vant::form
