// The script surface of Response, on top of what components call.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"
#include "platform/host/response.h"

namespace vant::host::intrinsics {

// {9714C037-30C8-42D1-B5E9-AD0813E7CBAB}
struct IAspResponse : host::IResponse {
  static constexpr IID kIid =
      MakeGuid(0x9714C037, 0x30C8, 0x42D1, 0xB5, 0xE9, 0xAD, 0x08, 0x13, 0xE7, 0xCB, 0xAB);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Buffer(VARIANT_BOOL* out) = 0;
  virtual HRESULT get_Expires(std::int32_t* out) = 0;
  virtual HRESULT get_ExpiresAbsolute(Date* out) = 0;
  virtual HRESULT put_ExpiresAbsolute(Date when) = 0;
  virtual HRESULT get_ContentType(Bstr* out) = 0;
  // Both `Response.Charset = "x"` and `Response.Charset("x")` set it: a
  // read with an argument sets the argument first.
  virtual HRESULT get_Charset(const Variant& newCharset, Bstr* out) = 0;
  virtual HRESULT put_Charset(const Bstr& charset) = 0;
  virtual HRESULT get_CodePage(std::int32_t* out) = 0;
  virtual HRESULT put_CodePage(std::int32_t codePage) = 0;
  virtual HRESULT get_LCID(std::int32_t* out) = 0;
  virtual HRESULT put_LCID(std::int32_t lcid) = 0;
  virtual HRESULT get_Status(Bstr* out) = 0;
  virtual HRESULT get_CacheControl(Bstr* out) = 0;
  virtual HRESULT put_CacheControl(const Bstr& value) = 0;
  virtual HRESULT AppendToLog(const Bstr& text) = 0;
  // Drops the buffered body; fails when output is not buffered.
  virtual HRESULT Clear() = 0;
  // 302 with a Location header and a short body, then ends the page.
  virtual HRESULT Redirect(const Bstr& url) = 0;
  virtual HRESULT ScriptCookies(IDispatch** out) = 0;
};

}  // namespace vant::host::intrinsics
