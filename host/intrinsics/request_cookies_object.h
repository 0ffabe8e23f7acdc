// Request.Cookies: the cookies the browser sent, by name; enumerating gives
// the names. Item of a name not sent is an empty cookie.
#pragma once

#include <utility>

#include "host/intrinsics/cookie_text.h"
#include "host/intrinsics/interfaces.h"

namespace vant::host::intrinsics {

class RequestCookiesObject final
    : public ComObject<RequestCookiesObject, DispatchImpl<IAspRequestDictionary>> {
 public:
  explicit RequestCookiesObject(RequestCookies cookies) : cookies_(std::move(cookies)) {}

  HRESULT get_Item(const Variant& key, Variant* out) override;
  HRESULT get_Count(std::int32_t* out) override;
  HRESULT get__NewEnum(IUnknown** out) override;
  HRESULT get_Key(const Variant& position, Variant* out) override;

  // The cookie named `name`, nullptr when not sent; for Request(name).
  const RequestCookie* Find(std::u16string_view name) const { return cookies_.Find(name); }

 protected:
  void* FindExtraInterface(const IID& iid) override;

 private:
  RequestCookies cookies_;
};

}  // namespace vant::host::intrinsics
