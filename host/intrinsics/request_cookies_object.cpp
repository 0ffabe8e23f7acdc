#include "host/intrinsics/request_cookies_object.h"

#include "host/intrinsics/errors.h"
#include "host/intrinsics/key_members.h"
#include "host/intrinsics/read_cookie_object.h"
#include "host/intrinsics/text_codec.h"

namespace vant::host::intrinsics {

namespace {
constexpr std::u16string_view kSource = kRequestSource;

constexpr std::u16string_view kOutOfRange = u"The index is outside the cookies of the request.";

HRESULT BadPosition() { return RaiseError(DISP_E_BADINDEX, kSource, kOutOfRange); }
}  // namespace

void* RequestCookiesObject::FindExtraInterface(const IID& iid) {
  return iid == host::IRequestDictionary::kIid ? static_cast<host::IRequestDictionary*>(this)
                                               : nullptr;
}

HRESULT RequestCookiesObject::get_Item(const Variant& key, Variant* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    const RequestCookie* found = nullptr;
    RequestCookie absent;
    if (auto position = PositionOf(key)) {
      if (*position < 1 || static_cast<std::size_t>(*position) > cookies_.List().size()) {
        return BadPosition();
      }
      found = &cookies_.List()[static_cast<std::size_t>(*position - 1)];
    } else if (!key.Deref().IsMissing()) {
      std::u16string name;
      if (Failed(VariantToText(key, &name))) {
        return RaiseError(DISP_E_TYPEMISMATCH, kSource, u"The cookie name is not text.");
      }
      found = cookies_.Find(name);
      absent.name = std::move(name);
    }
    auto cookie = ReadCookieObject::Create(found ? *found : absent);
    *out = Variant::AttachDispatch(cookie.Detach());
    return S_OK;
  });
}

HRESULT RequestCookiesObject::get_Count(std::int32_t* out) {
  if (out == nullptr) return E_POINTER;
  *out = static_cast<std::int32_t>(cookies_.List().size());
  return S_OK;
}

HRESULT RequestCookiesObject::get_Key(const Variant& position, Variant* out) {
  return KeyAtPosition(
      kSource, kOutOfRange, cookies_.List(), [](const auto& c) { return c.name; }, position, out);
}

HRESULT RequestCookiesObject::get__NewEnum(IUnknown** out) {
  return KeyEnumerator(
      kSource, cookies_.List(), [](const auto& c) { return c.name; }, out);
}

}  // namespace vant::host::intrinsics
