// CFormElementCollection: adding, cleanup and settings over its elements,
// Item and enumeration. The members that forward to the primary element are
// in form_element_collection_forward.cpp.
#include "form/form_element_collection.h"

#include <cstdint>

#include "frame/member_guard.h"

namespace vant::form {
namespace {

constexpr char16_t kValueSeparator[] = u", ";

IDispatch* AsDispatch(CFormElement* element) { return static_cast<IFormElement*>(element); }

}  // namespace

HRESULT CFormElementCollection::Add(CFormElement* element) {
  if (element == nullptr) return E_POINTER;
  return frame::GuardMember(kFormElementCollectionClass, u"Add", [&] {
    elements_.emplace_back(element);
    if (primaryElement_ == nullptr || element->Item().IsFileItem) primaryElement_ = element;
    return S_OK;
  });
}

HRESULT CFormElementCollection::DeleteAllSavedFiles(std::int32_t mode) {
  return frame::GuardMember(kFormElementCollectionClass, u"DeleteAllSavedFiles", [&] {
    // Each element reports its own failure; the others are still cleaned.
    for (const auto& element : elements_) (void)element->DeleteSavedFile(mode);
    return S_OK;
  });
}

HRESULT CFormElementCollection::SetDefaultPath(std::u16string_view path) {
  return frame::GuardGetter([&] {
    for (const auto& element : elements_) element->SetDefaultPath(path);
    return S_OK;
  });
}

HRESULT CFormElementCollection::SetAutoMakeFolder(bool flag) {
  return frame::GuardMember(kFormElementCollectionClass, u"SetAutoMakeFolder", [&] {
    for (const auto& element : elements_) element->SetAutoMakeFolder(flag);
    return S_OK;
  });
}

// Index 0 (the default) joins every value; 1 … Count pick an element.
HRESULT CFormElementCollection::get_Item(const Variant& varIndex, Variant* out) {
  if (out == nullptr) return E_POINTER;
  return frame::GuardMember<&IFormElementCollection::get_Item>(kFormElementCollectionClass, [&] {
    std::int32_t index = 0;
    const Variant& value = varIndex.Deref();
    if (value.vt() == VT_I4) {
      index = value.i4();
    } else if (const HRESULT hr = VariantToI4(value, &index); Failed(hr)) {
      return hr;
    }
    const std::int64_t i = static_cast<std::int64_t>(index) - 1;
    if (i == -1) return JoinedValues(out);
    if (i < 0 || i >= static_cast<std::int64_t>(elements_.size())) {
      return frame::ReportErrorOnce(errorFlagLink_, frame::MessageId::kItemIndexOutOfRange);
    }
    *out = Variant::Dispatch(AsDispatch(elements_[static_cast<std::size_t>(i)].get()));
    return S_OK;
  });
}

// Every element's value text (FilePath of a file, Value of a field) in
// arrival order, joined by ", ".
HRESULT CFormElementCollection::JoinedValues(Variant* out) const {
  std::u16string joined;
  for (std::size_t i = 0; i < elements_.size(); ++i) {
    const FormItem& item = elements_[i]->Item();
    if (i > 0) joined += kValueSeparator;
    joined += item.IsFileItem ? item.FilePath : item.Value;
  }
  *out = Variant::String(Bstr(std::move(joined)));
  return S_OK;
}

HRESULT CFormElementCollection::get__NewEnum(IUnknown** out) {
  if (out == nullptr) return E_POINTER;
  // Reported as it always was, without the table name's leading underscore.
  return frame::GuardMember(kFormElementCollectionClass, u"get_NewEnum", [&] {
    std::vector<Variant> items;
    items.reserve(elements_.size());
    for (const auto& element : elements_)
      items.push_back(Variant::Dispatch(AsDispatch(element.get())));
    *out = MakeVariantEnumerator(std::move(items)).Detach();
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT CFormElementCollection::get_Count(int32_t* out) {
  if (out == nullptr) return E_POINTER;
  *out = static_cast<std::int32_t>(elements_.size());
  return S_OK;
}

HRESULT CFormElementCollection::InterfaceSupportsErrorInfo(const IID& iid) {
  return frame::InterfaceSupportsErrorInfo(IFormElementCollection::kIid, iid);
}

}  // namespace vant::form
