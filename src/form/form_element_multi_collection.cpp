#include "form/form_element_multi_collection.h"

#include "frame/member_guard.h"

namespace vant::form {
namespace {

IDispatch* AsDispatch(CFormElementCollection* collection) {
  return static_cast<IFormElementCollection*>(collection);
}

// The position a non-text index names: its automation value as a 16-bit
// unsigned number (so -1 reads as 65535 and 65537 as 1); nullopt when it is
// no number at all.
std::optional<std::uint16_t> PositionOf(const Variant& index) {
  std::int32_t number = 0;
  if (Failed(VariantToI4(index, &number))) return std::nullopt;
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(number));
}

}  // namespace

CFormElementMultiCollection::CFormElementMultiCollection()
    : placeholderElement_(CFormElement::Create()),
      placeholderCollection_(CFormElementCollection::Create()) {
  placeholderCollection_->Add(placeholderElement_.get());
}

void CFormElementMultiCollection::SetErrorFlagLink(frame::ErrorFlagLink link) {
  errorFlagLink_ = std::move(link);
  placeholderElement_->SetErrorFlagLink(errorFlagLink_);
  placeholderCollection_->SetErrorFlagLink(errorFlagLink_);
  for (const auto& [key, collection] : map_) collection->SetErrorFlagLink(errorFlagLink_);
}

HRESULT CFormElementMultiCollection::Add(CFormElement* element) {
  if (element == nullptr) return E_POINTER;
  return frame::GuardMember(kFormElementMultiCollectionClass, u"Add", [&] {
    auto& collection = map_[FormKey(element->Item().Name)];
    if (!collection) collection = CFormElementCollection::Create(errorFlagLink_);
    if (const HRESULT hr = collection->Add(element); Failed(hr)) return hr;
    if (firstFileElement_ == nullptr && element->Item().IsFileItem) firstFileElement_ = element;
    return S_OK;
  });
}

HRESULT CFormElementMultiCollection::DeleteAllSavedFiles(std::int32_t mode) {
  return frame::GuardMember(kFormElementMultiCollectionClass, u"DeleteAllSavedFiles", [&] {
    for (const auto& [key, collection] : map_) (void)collection->DeleteAllSavedFiles(mode);
    return S_OK;
  });
}

HRESULT CFormElementMultiCollection::SetDefaultPath(std::u16string_view path) {
  return frame::GuardMember(kFormElementMultiCollectionClass, u"SetDefaultPath", [&] {
    for (const auto& [key, collection] : map_) (void)collection->SetDefaultPath(path);
    return S_OK;
  });
}

HRESULT CFormElementMultiCollection::SetAutoMakeFolder(bool flag) {
  return frame::GuardMember(kFormElementMultiCollectionClass, u"SetAutoMakeFolder", [&] {
    for (const auto& [key, collection] : map_) (void)collection->SetAutoMakeFolder(flag);
    return S_OK;
  });
}

CFormElementCollection* CFormElementMultiCollection::Find(std::u16string_view name) const {
  const auto found = map_.find(FormKey(name));
  return found == map_.end() ? nullptr : found->second.get();
}

CFormElementCollection* CFormElementMultiCollection::ByName(std::u16string_view name) const {
  CFormElementCollection* found = Find(name);
  return found != nullptr ? found : placeholderCollection_.get();
}

// 0 and 1 both name the first entry in key order; past the last entry (or
// in an empty form) the placeholder answers.
CFormElementCollection* CFormElementMultiCollection::ByPosition(std::uint16_t n) const {
  const std::size_t skip = n == 0 ? 0 : n - 1u;
  if (skip >= map_.size()) return placeholderCollection_.get();
  return std::next(map_.begin(), static_cast<std::ptrdiff_t>(skip))->second.get();
}

HRESULT CFormElementMultiCollection::get_Item(const Variant& varIndex, IDispatch** out) {
  if (out == nullptr) return E_POINTER;
  return frame::GuardMember<&IFormElementMultiCollection::get_Item>(
      kFormElementMultiCollectionClass, [&] {
        const Variant& index = varIndex.Deref();
        CFormElementCollection* result = placeholderCollection_.get();
        if (index.vt() == VT_BSTR) {
          result = ByName(index.bstr().view());
        } else if (const auto n = PositionOf(index)) {
          result = ByPosition(*n);
        }
        IDispatch* dispatch = AsDispatch(result);
        dispatch->AddRef();
        *out = dispatch;
        return S_OK;
      });
}

HRESULT CFormElementMultiCollection::get__NewEnum(IUnknown** out) {
  if (out == nullptr) return E_POINTER;
  return frame::GuardMember<&IFormElementMultiCollection::get__NewEnum>(
      kFormElementMultiCollectionClass, [&] {
        std::vector<Variant> items;
        items.reserve(map_.size());
        for (const auto& [key, collection] : map_)
          items.push_back(Variant::Dispatch(AsDispatch(collection.get())));
        *out = MakeVariantEnumerator(std::move(items)).Detach();
        return *out != nullptr ? S_OK : E_OUTOFMEMORY;
      });
}

HRESULT CFormElementMultiCollection::get_Count(int32_t* out) {
  if (out == nullptr) return E_POINTER;
  *out = static_cast<std::int32_t>(map_.size());
  return S_OK;
}

HRESULT CFormElementMultiCollection::InterfaceSupportsErrorInfo(const IID& iid) {
  return frame::InterfaceSupportsErrorInfo(IFormElementMultiCollection::kIid, iid);
}

}  // namespace vant::form
