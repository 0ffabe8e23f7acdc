// One cookie of Response.Cookies. Changes are refused once the response
// headers went out, since the cookie could no longer be sent.
#pragma once

#include <memory>

#include "host/intrinsics/detail/cookie_text.h"
#include "host/intrinsics/interfaces.h"
#include "host/intrinsics/shared_page_state.h"

namespace vant::host::intrinsics {

class WriteCookieObject final : public ComObject<WriteCookieObject, DispatchImpl<IAspWriteCookie>> {
 public:
  WriteCookieObject(std::shared_ptr<SharedPageState> core, std::u16string name);

  HRESULT put_Item(const Variant& key, const Bstr& value) override;
  HRESULT get_Item(const Variant& key, Variant* out) override;
  HRESULT put_Expires(Date when) override;
  HRESULT put_Domain(const Bstr& domain) override;
  HRESULT put_Path(const Bstr& path) override;
  HRESULT put_Secure(VARIANT_BOOL secure) override;
  HRESULT get_HasKeys(VARIANT_BOOL* out) override;

  // Response.Cookies("a") = "v": a plain value, keys dropped.
  HRESULT SetValue(const std::u16string& value);
  const ResponseCookie& Cookie() const { return cookie_; }

 protected:
  void* FindExtraInterface(const IID& iid) override;

 private:
  // S_OK while the cookie can still be sent, else the failure with a record.
  HRESULT CheckWritable() const;

  std::shared_ptr<SharedPageState> core_;
  ResponseCookie cookie_;
};

}  // namespace vant::host::intrinsics
