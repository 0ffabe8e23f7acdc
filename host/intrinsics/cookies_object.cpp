#include "host/intrinsics/cookies_object.h"

#include "host/intrinsics/read_cookie_object.h"
#include "host/intrinsics/text_codec.h"

namespace vant::host::intrinsics {

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

HRESULT ResponseCookiesObject::Find(const Variant& key, WriteCookieObject** out) {
  if (auto position = PositionOf(key)) {
    if (*position < 1 || static_cast<std::size_t>(*position) > cookies_.size())
      return BadPosition();
    *out = cookies_[static_cast<std::size_t>(*position - 1)].get();
    return S_OK;
  }
  std::u16string name;
  if (Failed(VariantToText(key, &name)) || name.empty()) {
    return RaiseError(E_INVALIDARG, kSource, u"A cookie needs a name.");
  }
  for (const auto& c : cookies_) {
    if (!EqualsNoCase(c->Cookie().name, name)) continue;
    *out = c.get();
    return S_OK;
  }
  cookies_.push_back(WriteCookieObject::Create(core_, std::move(name)));
  *out = cookies_.back().get();
  return S_OK;
}

HRESULT ResponseCookiesObject::get_Item(const Variant& key, Variant* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    WriteCookieObject* cookie = nullptr;
    if (const HRESULT hr = Find(key, &cookie); Failed(hr)) return hr;
    *out = Variant::Dispatch(cookie);
    return S_OK;
  });
}

HRESULT ResponseCookiesObject::put_Item(const Variant& name, const Variant& value) {
  return Guarded(kSource, [&] {
    std::u16string text;
    if (Failed(VariantToText(value, &text))) {
      return RaiseError(DISP_E_TYPEMISMATCH, kSource, u"The cookie value cannot be read as text.");
    }
    WriteCookieObject* cookie = nullptr;
    if (const HRESULT hr = Find(name, &cookie); Failed(hr)) return hr;
    return cookie->SetValue(text);
  });
}

std::vector<std::string> ResponseCookiesObject::SetCookieHeaders(std::uint32_t codePage) const {
  std::vector<std::string> headers;
  for (const auto& c : cookies_) headers.push_back(FormatSetCookie(c->Cookie(), codePage));
  return headers;
}

}  // namespace vant::host::intrinsics
