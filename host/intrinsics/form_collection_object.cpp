#include "host/intrinsics/form_collection_object.h"

#include "host/intrinsics/errors.h"
#include "host/intrinsics/key_members.h"
#include "host/intrinsics/string_list_object.h"
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
      *out = Variant::String(Bstr(raw_));
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
    auto list = StringListObject::Create(entry ? entry->values : std::vector<std::u16string>{});
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

}  // namespace vant::host::intrinsics
