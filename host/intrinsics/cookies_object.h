// Response.Cookies: the cookies this response will set, in the order they
// were first named.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/intrinsics/interfaces.h"
#include "host/intrinsics/page_core.h"
#include "host/intrinsics/write_cookie_object.h"

namespace vant::host::intrinsics {

class ResponseCookiesObject final
    : public ComObject<ResponseCookiesObject, DispatchImpl<IAspResponseCookies>> {
 public:
  explicit ResponseCookiesObject(std::shared_ptr<PageCore> core) : core_(std::move(core)) {}

  // The cookie named `key`, created on first use.
  HRESULT get_Item(const Variant& key, Variant* out) override;
  HRESULT put_Item(const Variant& name, const Variant& value) override;
  HRESULT get_Count(std::int32_t* out) override;
  HRESULT get__NewEnum(IUnknown** out) override;
  HRESULT get_Key(const Variant& position, Variant* out) override;

  // One Set-Cookie header value per cookie, in `codePage`.
  std::vector<std::string> SetCookieHeaders(std::uint32_t codePage) const;

 protected:
  void* FindExtraInterface(const IID& iid) override;

 private:
  // The cookie named by `key` (a name, or a 1-based position of an existing
  // one); creates a named one when missing. Null with a record on failure.
  HRESULT Find(const Variant& key, WriteCookieObject** out);

  std::shared_ptr<PageCore> core_;
  std::vector<ComPtr<WriteCookieObject>> cookies_;
};

}  // namespace vant::host::intrinsics
