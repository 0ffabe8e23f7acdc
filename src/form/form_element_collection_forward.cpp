// The members of CFormElementCollection that act on one element: Name and
// Value on the first, every other one on the primary element, with the
// element's own status and result.
#include "form/form_element_collection.h"
#include "frame/member_guard.h"

namespace vant::form {

// `member` is the name an unexpected failure is reported with; empty for the
// members reported without one.
template <class Call>
HRESULT CFormElementCollection::Forward(std::u16string_view member, Call&& call) {
  auto body = [&] {
    if (primaryElement_ == nullptr) {
      return frame::ReportErrorOnce(errorFlagLink_, frame::MessageId::kNoElement);
    }
    return call(*primaryElement_);
  };
  if (member.empty()) return frame::GuardGetter(body);
  return frame::GuardMember(kFormElementCollectionClass, member, body);
}

HRESULT CFormElementCollection::get_Name(Bstr* out) {
  return Forward(frame::MemberName<&IFormElementCollection::get_Name>(),
                 [&](CFormElement&) { return elements_.front()->get_Name(out); });
}
HRESULT CFormElementCollection::get_Value(Bstr* out) {
  return Forward(frame::MemberName<&IFormElementCollection::get_Value>(),
                 [&](CFormElement&) { return elements_.front()->get_Value(out); });
}
HRESULT CFormElementCollection::get_FileLen(int32_t* out) {
  return Forward(frame::MemberName<&IFormElementCollection::get_FileLen>(),
                 [&](CFormElement& e) { return e.get_FileLen(out); });
}
HRESULT CFormElementCollection::get_FileName(Bstr* out) {
  return Forward({}, [&](CFormElement& e) { return e.get_FileName(out); });
}
HRESULT CFormElementCollection::get_FilePath(Bstr* out) {
  return Forward({}, [&](CFormElement& e) { return e.get_FilePath(out); });
}
HRESULT CFormElementCollection::get_ImageFormat(Bstr* out) {
  return Forward({}, [&](CFormElement& e) { return e.get_ImageFormat(out); });
}
HRESULT CFormElementCollection::get_ImageHeight(int32_t* out) {
  return Forward({}, [&](CFormElement& e) { return e.get_ImageHeight(out); });
}
HRESULT CFormElementCollection::get_ImageWidth(int32_t* out) {
  return Forward({}, [&](CFormElement& e) { return e.get_ImageWidth(out); });
}
HRESULT CFormElementCollection::get_MimeType(Bstr* out) {
  return Forward({}, [&](CFormElement& e) { return e.get_MimeType(out); });
}
HRESULT CFormElementCollection::get_LastSavedFileName(Bstr* out) {
  return Forward({}, [&](CFormElement& e) { return e.get_LastSavedFileName(out); });
}
HRESULT CFormElementCollection::get_LastSavedFilePath(Bstr* out) {
  return Forward({}, [&](CFormElement& e) { return e.get_LastSavedFilePath(out); });
}
HRESULT CFormElementCollection::get_TempFilePath(Bstr* out) {
  return Forward({}, [&](CFormElement& e) { return e.get_TempFilePath(out); });
}
HRESULT CFormElementCollection::get_FileNameWithoutExt(Bstr* out) {
  return Forward({}, [&](CFormElement& e) { return e.get_FileNameWithoutExt(out); });
}
HRESULT CFormElementCollection::get_FileExtension(Bstr* out) {
  return Forward({}, [&](CFormElement& e) { return e.get_FileExtension(out); });
}
HRESULT CFormElementCollection::IsFileItem(VARIANT_BOOL* out) {
  return Forward({}, [&](CFormElement& e) { return e.IsFileItem(out); });
}
HRESULT CFormElementCollection::IsImageItem(VARIANT_BOOL* out) {
  return Forward({}, [&](CFormElement& e) { return e.IsImageItem(out); });
}
HRESULT CFormElementCollection::Save(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) {
  return Forward(frame::MemberName<&IFormElementCollection::Save>(),
                 [&](CFormElement& e) { return e.Save(bstrPath, bOverwrite, out); });
}
HRESULT CFormElementCollection::SaveAs(const Bstr& bstrPath, VARIANT_BOOL bOverwrite, Bstr* out) {
  return Forward(frame::MemberName<&IFormElementCollection::SaveAs>(),
                 [&](CFormElement& e) { return e.SaveAs(bstrPath, bOverwrite, out); });
}
HRESULT CFormElementCollection::SaveVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite,
                                            Bstr* out) {
  return Forward(frame::MemberName<&IFormElementCollection::SaveVirtual>(),
                 [&](CFormElement& e) { return e.SaveVirtual(bstrPath, bOverwrite, out); });
}
HRESULT CFormElementCollection::SaveAsVirtual(const Bstr& bstrPath, VARIANT_BOOL bOverwrite,
                                              Bstr* out) {
  return Forward(frame::MemberName<&IFormElementCollection::SaveAsVirtual>(),
                 [&](CFormElement& e) { return e.SaveAsVirtual(bstrPath, bOverwrite, out); });
}
HRESULT CFormElementCollection::SaveAsBlob(IUnknown* pField) {
  return Forward(frame::MemberName<&IFormElementCollection::SaveAsBlob>(),
                 [&](CFormElement& e) { return e.SaveAsBlob(pField); });
}
HRESULT CFormElementCollection::get_IsInfected(VARIANT_BOOL* out) {
  return Forward({}, [&](CFormElement& e) { return e.get_IsInfected(out); });
}
HRESULT CFormElementCollection::get_VirusName(Bstr* out) {
  return Forward({}, [&](CFormElement& e) { return e.get_VirusName(out); });
}

}  // namespace vant::form
