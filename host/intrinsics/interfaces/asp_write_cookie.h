// One cookie of Response.Cookies, with its attributes. It is sent as a
// Set-Cookie header when the response headers go out.
#pragma once

#include "platform/automation/automation.h"
#include "platform/host/dictionaries.h"

namespace vant::host::intrinsics {

// {8378BFF6-3688-4068-A735-03D78A87699B}
struct IAspWriteCookie : host::IWriteCookie {
  static constexpr IID kIid =
      MakeGuid(0x8378BFF6, 0x3688, 0x4068, 0xA7, 0x35, 0x03, 0xD7, 0x8A, 0x87, 0x69, 0x9B);
  static const InterfaceInfo& TypeInfo();

  // The value set so far (no key: the whole cookie value as it will be sent,
  // keys included, before encoding).
  virtual HRESULT get_Item(const Variant& key, Variant* out) = 0;
  // Without Expires the cookie lasts for the browser session.
  virtual HRESULT put_Expires(Date when) = 0;
  virtual HRESULT put_Domain(const Bstr& domain) = 0;
  // Default "/".
  virtual HRESULT put_Path(const Bstr& path) = 0;
  virtual HRESULT put_Secure(VARIANT_BOOL secure) = 0;
  virtual HRESULT get_HasKeys(VARIANT_BOOL* out) = 0;
};

}  // namespace vant::host::intrinsics
