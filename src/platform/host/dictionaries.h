// The keyed collections of the page host: Request.ServerVariables,
// Request.Cookies and Response.Cookies, and the cookie objects they hold.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::host {

// {D97A6DA0-A85F-11DF-83AE-00A0C90C2BD8}
struct IRequestDictionary : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xD97A6DA0, 0xA85F, 0x11DF, 0x83, 0xAE, 0x00, 0xA0, 0xC9, 0x0C, 0x2B, 0xD8);

  // The item named `key` (letter case ignored). Components rely on: a server
  // variable's value converting to a string (an unknown name gives an empty
  // value, not a failure); a Request cookie coming back as an object that
  // offers IReadCookie; a Response cookie as an object that offers
  // IWriteCookie (created on first use).
  virtual HRESULT get_Item(const Variant& key, Variant* out) = 0;
  // Number of items; not used by components, offered for the host's script.
  virtual HRESULT get_Count(std::int32_t* out) = 0;
  // An IEnumVARIANT over the keys; not used by components.
  virtual HRESULT get__NewEnum(IUnknown** out) = 0;
};

// {71EAF260-0CE0-11D0-A53E-00A0C90C2BD8}
struct IReadCookie : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x71EAF260, 0x0CE0, 0x11D0, 0xA5, 0x3E, 0x00, 0xA0, 0xC9, 0x0C, 0x2B, 0xD8);

  // The value of subkey `key` of a keyed cookie ("ProgressID" of the cookie
  // "VANTUpload"). Components rely on the value converting to a string.
  virtual HRESULT get_Item(const Variant& key, Variant* out) = 0;
};

// {D97A6DA0-A862-11CF-84AE-00A0C90C2BD8}
struct IWriteCookie : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xD97A6DA0, 0xA862, 0x11CF, 0x84, 0xAE, 0x00, 0xA0, 0xC9, 0x0C, 0x2B, 0xD8);

  // Sets subkey `key` of the cookie to `value`; the cookie goes out with the
  // response headers. Components rely on nothing beyond the call.
  virtual HRESULT put_Item(const Variant& key, const Bstr& value) = 0;
};

}  // namespace vant::host
