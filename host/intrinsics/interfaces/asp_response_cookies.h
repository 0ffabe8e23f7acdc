// Response.Cookies: the cookies this response sets. An item is created on
// first use; `Response.Cookies("a") = "v"` replaces the cookie's value and
// drops its keys.
#pragma once

#include "platform/automation/automation.h"
#include "platform/host/dictionaries.h"

namespace vant::host::intrinsics {

// {86878655-78DD-4694-B903-0A97E4FCF696}
struct IAspResponseCookies : host::IRequestDictionary {
  static constexpr IID kIid =
      MakeGuid(0x86878655, 0x78DD, 0x4694, 0xB9, 0x03, 0x0A, 0x97, 0xE4, 0xFC, 0xF6, 0x96);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT put_Item(const Variant& name, const Variant& value) = 0;
  virtual HRESULT get_Key(const Variant& position, Variant* out) = 0;
};

}  // namespace vant::host::intrinsics
