#include "host/intrinsics/read_cookie_object.h"

#include "host/intrinsics/detail/key_members.h"
#include "host/intrinsics/errors.h"
#include "host/intrinsics/text_codec.h"

namespace vant::host::intrinsics {

namespace {
constexpr std::u16string_view kSource = kRequestSource;
}  // namespace

void* ReadCookieObject::FindExtraInterface(const IID& iid) {
  return iid == host::IReadCookie::kIid ? static_cast<host::IReadCookie*>(this) : nullptr;
}

HRESULT ReadCookieObject::get_Item(const Variant& key, Variant* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    if (key.Deref().IsMissing()) {
      *out = Variant::String(Bstr(cookie_.value));
      return S_OK;
    }
    std::u16string name;
    if (auto position = PositionOf(key)) {
      if (*position < 1 || static_cast<std::size_t>(*position) > cookie_.keys.Entries().size()) {
        *out = Variant();
        return S_OK;
      }
      name = cookie_.keys.Entries()[static_cast<std::size_t>(*position - 1)].key;
    } else if (Failed(VariantToText(key, &name))) {
      return RaiseError(DISP_E_TYPEMISMATCH, kSource, u"The cookie key is not text.");
    }
    const KeyedValues::Entry* entry = cookie_.keys.Find(name);
    *out = entry ? Variant::String(Bstr(entry->values.front())) : Variant();
    return S_OK;
  });
}

HRESULT ReadCookieObject::get_HasKeys(VARIANT_BOOL* out) {
  if (out == nullptr) return E_POINTER;
  *out = ToVariantBool(cookie_.HasKeys());
  return S_OK;
}

HRESULT ReadCookieObject::get_Count(std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  *out = static_cast<std::int32_t>(cookie_.keys.Entries().size());
  return S_OK;
}

HRESULT ReadCookieObject::get_Key(const Variant& position, Variant* out) {
  return KeyAtPosition(
      kSource, u"The index is outside the keys of this cookie.", cookie_.keys.Entries(),
      [](const auto& e) { return e.key; }, position, out);
}

HRESULT ReadCookieObject::get__NewEnum(IUnknown** out) {
  return KeyEnumerator(
      kSource, cookie_.keys.Entries(), [](const auto& e) { return e.key; }, out);
}

}  // namespace vant::host::intrinsics
