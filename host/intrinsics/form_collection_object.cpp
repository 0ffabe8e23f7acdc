#include "host/intrinsics/form_collection_object.h"

#include "host/intrinsics/detail/key_members.h"
#include "host/intrinsics/errors.h"
#include "host/intrinsics/text_codec.h"

namespace vant::host::intrinsics {

namespace {
constexpr std::u16string_view kSource = kRequestSource;

constexpr std::u16string_view kOutOfRange = u"The index is outside the items of this collection.";

HRESULT BadPosition() { return RaiseError(DISP_E_BADINDEX, kSource, kOutOfRange); }
}  // namespace

void* FormCollectionObject::FindExtraInterface(const IID& iid) {
  return iid == host::IRequestDictionary::kIid ? static_cast<host::IRequestDictionary*>(this)
                                               : nullptr;
}

HRESULT FormCollectionObject::get_Item(const Variant& key, Variant* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    if (key.Deref().IsMissing()) {
      *out = Variant::String(Bstr(DecodeText(codePage_, raw_)));
      return S_OK;
    }
    const KeyedValues::Entry* entry = nullptr;
    if (auto position = PositionOf(key)) {
      if (*position < 1 || static_cast<std::size_t>(*position) > values_.Entries().size()) {
        return BadPosition();
      }
      entry = &values_.Entries()[static_cast<std::size_t>(*position - 1)];
    } else {
      std::u16string name;
      const HRESULT hr = VariantToText(key, &name);
      if (Failed(hr)) return RaiseError(hr, kSource, u"The item name is not text.");
      entry = values_.Find(name);
    }
    static const std::vector<std::u16string> kNotSent;
    auto list = StringListObject::Create(ComPtr<IDispatch>(this), entry ? entry->values : kNotSent);
    *out = Variant::AttachDispatch(list.Detach());
    return S_OK;
  });
}

HRESULT FormCollectionObject::get_Count(std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  *out = static_cast<std::int32_t>(values_.Entries().size());
  return S_OK;
}

HRESULT FormCollectionObject::get_Key(const Variant& position, Variant* out) {
  return KeyAtPosition(
      kSource, kOutOfRange, values_.Entries(), [](const auto& e) { return e.key; }, position, out);
}

HRESULT FormCollectionObject::get__NewEnum(IUnknown** out) {
  return KeyEnumerator(
      kSource, values_.Entries(), [](const auto& e) { return e.key; }, out);
}

namespace {
constexpr std::u16string_view kJoin = u", ";
}  // namespace

HRESULT StringListObject::get_Item(const Variant& index, Variant* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    if (index.Deref().IsMissing()) {
      if (values_.empty()) {
        *out = Variant();
        return S_OK;
      }
      std::u16string joined = values_.front();
      for (std::size_t i = 1; i < values_.size(); ++i) joined.append(kJoin).append(values_[i]);
      *out = Variant::String(Bstr(std::move(joined)));
      return S_OK;
    }
    std::int32_t position = 0;
    if (Failed(VariantToI4(index.Deref(), &position)) || position < 1 ||
        static_cast<std::size_t>(position) > values_.size()) {
      return RaiseError(DISP_E_BADINDEX, kSource, u"The index is outside the values of this item.");
    }
    *out = Variant::String(Bstr(values_[static_cast<std::size_t>(position - 1)]));
    return S_OK;
  });
}

// The one value a name was sent with is the default value as it stands.
bool StringListObject::DefaultText(std::u16string_view* text) {
  if (text == nullptr || values_.size() != 1) return false;
  *text = values_.front();
  return true;
}

HRESULT StringListObject::get_Count(std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  *out = static_cast<std::int32_t>(values_.size());
  return S_OK;
}

HRESULT StringListObject::get__NewEnum(IUnknown** out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    std::vector<Variant> items;
    for (const auto& v : values_) items.push_back(Variant::String(Bstr(v)));
    *out = MakeVariantEnumerator(std::move(items)).Detach();
    return S_OK;
  });
}

}  // namespace vant::host::intrinsics
