#include "host/intrinsics/write_cookie_object.h"

#include "host/intrinsics/detail/cookie_text.h"
#include "host/intrinsics/errors.h"
#include "host/intrinsics/text_codec.h"

namespace vant::host::intrinsics {

namespace {
constexpr std::u16string_view kSource = kResponseSource;

HRESULT BadAttribute(std::u16string_view which) {
  return RaiseError(E_INVALIDARG, kSource,
                    u"The cookie " + std::u16string(which) +
                        u" cannot hold ';', ',', a space or a control character.");
}
}  // namespace

WriteCookieObject::WriteCookieObject(std::shared_ptr<SharedPageState> core, std::u16string name)
    : core_(std::move(core)) {
  cookie_.name = std::move(name);
}

void* WriteCookieObject::FindExtraInterface(const IID& iid) {
  return iid == host::IWriteCookie::kIid ? static_cast<host::IWriteCookie*>(this) : nullptr;
}

HRESULT WriteCookieObject::CheckWritable() const {
  if (core_->exchange == nullptr) return PageEnded(kSource);
  if (core_->exchange->HeadersSent()) {
    return RaiseError(E_FAIL, kSource,
                      u"The cookie cannot be set: the response headers were already sent.");
  }
  return S_OK;
}

HRESULT WriteCookieObject::SetValue(const std::u16string& value) {
  if (const HRESULT hr = CheckWritable(); Failed(hr)) return hr;
  cookie_.keys.clear();
  cookie_.value = value;
  return S_OK;
}

HRESULT WriteCookieObject::put_Item(const Variant& key, const Bstr& value) {
  return Guarded(kSource, [&] {
    if (const HRESULT hr = CheckWritable(); Failed(hr)) return hr;
    if (key.Deref().IsMissing()) return SetValue(value.str());
    std::u16string name;
    if (Failed(VariantToText(key, &name))) {
      return RaiseError(DISP_E_TYPEMISMATCH, kSource, u"The cookie key is not text.");
    }
    if (name.empty()) return SetValue(value.str());
    cookie_.SetKey(name, value.str());
    return S_OK;
  });
}

HRESULT WriteCookieObject::get_Item(const Variant& key, Variant* out) {
  if (out == nullptr) return E_POINTER;
  return Guarded(kSource, [&] {
    if (key.Deref().IsMissing()) {
      *out = Variant::String(Bstr(cookie_.Joined()));
      return S_OK;
    }
    std::u16string name;
    if (Failed(VariantToText(key, &name))) {
      return RaiseError(DISP_E_TYPEMISMATCH, kSource, u"The cookie key is not text.");
    }
    *out = Variant();
    for (const auto& [k, v] : cookie_.keys) {
      if (EqualsNoCase(k, name)) *out = Variant::String(Bstr(v));
    }
    return S_OK;
  });
}

HRESULT WriteCookieObject::put_Expires(Date when) {
  if (const HRESULT hr = CheckWritable(); Failed(hr)) return hr;
  cookie_.expires = when;
  return S_OK;
}

HRESULT WriteCookieObject::put_Domain(const Bstr& domain) {
  return Guarded(kSource, [&] {
    if (const HRESULT hr = CheckWritable(); Failed(hr)) return hr;
    if (!IsCookieAttributeText(domain.str())) return BadAttribute(u"domain");
    cookie_.domain = domain.str();
    return S_OK;
  });
}

HRESULT WriteCookieObject::put_Path(const Bstr& path) {
  return Guarded(kSource, [&] {
    if (const HRESULT hr = CheckWritable(); Failed(hr)) return hr;
    if (!IsCookieAttributeText(path.str())) return BadAttribute(u"path");
    cookie_.path = path.str();
    return S_OK;
  });
}

HRESULT WriteCookieObject::put_Secure(VARIANT_BOOL secure) {
  if (const HRESULT hr = CheckWritable(); Failed(hr)) return hr;
  cookie_.secure = secure != VARIANT_FALSE;
  return S_OK;
}

HRESULT WriteCookieObject::get_HasKeys(VARIANT_BOOL* out) {
  if (out == nullptr) return E_POINTER;
  *out = ToVariantBool(!cookie_.keys.empty());
  return S_OK;
}

}  // namespace vant::host::intrinsics
