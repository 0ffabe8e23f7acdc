// The script surface of the intrinsic objects: each interface's IID and
// members, on top of what components call through platform/host/.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"
#include "platform/host/dictionaries.h"
#include "platform/host/request.h"
#include "platform/host/response.h"
#include "platform/host/scripting_context.h"
#include "platform/host/server.h"
#include "platform/host/session.h"

namespace vant::host::intrinsics {

// The script surface of Response, on top of what components call.
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

// The script surface of Request, on top of what components call.
// {2FDA45C3-D48D-4EB5-A433-F83BBEA067F8}
struct IAspRequest : host::IRequest {
  static constexpr IID kIid =
      MakeGuid(0x2FDA45C3, 0xD48D, 0x4EB5, 0xA4, 0x33, 0xF8, 0x3B, 0xBE, 0xA0, 0x67, 0xF8);
  static const InterfaceInfo& TypeInfo();

  // Request(name): the first of QueryString, Form, Cookies, ServerVariables
  // that has `name`; EMPTY when none has.
  virtual HRESULT get_Item(const Variant& name, Variant* out) = 0;
  virtual HRESULT get_QueryString(IDispatch** out) = 0;
  // Parses an application/x-www-form-urlencoded body on first use. Fails
  // after BinaryRead took bytes of such a body.
  virtual HRESULT get_Form(IDispatch** out) = 0;
  // BinaryRead as scripts call it: the count goes in by value and the bytes
  // read come back as the result.
  virtual HRESULT ScriptBinaryRead(const Variant& count, Variant* out) = 0;
  virtual HRESULT ScriptCookies(IDispatch** out) = 0;
  virtual HRESULT ScriptServerVariables(IDispatch** out) = 0;
};

// The read-only keyed collections of Request: QueryString, Form,
// ServerVariables and Cookies. Enumerating one yields its keys.
// {69A71AD7-D778-4F64-BAF0-CEB91E02917B}
struct IAspRequestDictionary : host::IRequestDictionary {
  static constexpr IID kIid =
      MakeGuid(0x69A71AD7, 0xD778, 0x4F64, 0xBA, 0xF0, 0xCE, 0xB9, 0x1E, 0x02, 0x91, 0x7B);
  static const InterfaceInfo& TypeInfo();

  // get_Item (default member) takes a name, a 1-based position, or nothing
  // (QueryString and Form then give their raw, undecoded text).
  // The name at 1-based `position`; fails outside 1..Count.
  virtual HRESULT get_Key(const Variant& position, Variant* out) = 0;
};

// The value list that Request.QueryString("x") and Request.Form("x") return:
// one entry per occurrence of the name, in the order sent.
// {8BA3BEB4-E6E1-41F0-AC2E-8070098C0418}
struct IAspStringList : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x8BA3BEB4, 0xE6E1, 0x41F0, 0xAC, 0x2E, 0x80, 0x70, 0x09, 0x8C, 0x04, 0x18);
  static const InterfaceInfo& TypeInfo();

  // Default member. No index: all values joined with ", ", or EMPTY when the
  // name was not sent. Index 1..Count: that value; other indexes fail.
  virtual HRESULT get_Item(const Variant& index, Variant* out) = 0;
  virtual HRESULT get_Count(std::int32_t* out) = 0;
  // Enumerates the values.
  virtual HRESULT get__NewEnum(IUnknown** out) = 0;
};

// One cookie the browser sent. A value of the form "k1=v1&k2=v2" is a
// keyed cookie; enumerating it yields its keys.
// {E1D97F8B-7328-4CCA-B863-50990ACE242C}
struct IAspReadCookie : host::IReadCookie {
  static constexpr IID kIid =
      MakeGuid(0xE1D97F8B, 0x7328, 0x4CCA, 0xB8, 0x63, 0x50, 0x99, 0x0A, 0xCE, 0x24, 0x2C);
  static const InterfaceInfo& TypeInfo();

  // get_Item (default member): no key gives the whole value; a key gives
  // that key's value, EMPTY when absent.
  virtual HRESULT get_HasKeys(VARIANT_BOOL* out) = 0;
  virtual HRESULT get_Count(std::int32_t* out) = 0;
  virtual HRESULT get_Key(const Variant& position, Variant* out) = 0;
  virtual HRESULT get__NewEnum(IUnknown** out) = 0;
};

// One cookie of Response.Cookies, with its attributes. It is sent as a
// Set-Cookie header when the response headers go out.
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

// Response.Cookies: the cookies this response sets. An item is created on
// first use; `Response.Cookies("a") = "v"` replaces the cookie's value and
// drops its keys.
// {86878655-78DD-4694-B903-0A97E4FCF696}
struct IAspResponseCookies : host::IRequestDictionary {
  static constexpr IID kIid =
      MakeGuid(0x86878655, 0x78DD, 0x4694, 0xB9, 0x03, 0x0A, 0x97, 0xE4, 0xFC, 0xF6, 0x96);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT put_Item(const Variant& name, const Variant& value) = 0;
  virtual HRESULT get_Key(const Variant& position, Variant* out) = 0;
};

// The script surface of Server, on top of what components call.
// {C471101C-4DC5-4BEB-A4E5-4882CC1CFF89}
struct IAspServer : host::IServer {
  static constexpr IID kIid =
      MakeGuid(0xC471101C, 0x4DC5, 0x4BEB, 0xA4, 0xE5, 0x48, 0x82, 0xCC, 0x1C, 0xFF, 0x89);
  static const InterfaceInfo& TypeInfo();

  // Creates a registered component; it lives until the page ends.
  virtual HRESULT CreateObject(const Bstr& progId, IDispatch** out) = 0;
  virtual HRESULT HTMLEncode(const Variant& text, Bstr* out) = 0;
  virtual HRESULT URLEncode(const Bstr& text, Bstr* out) = 0;
  virtual HRESULT URLPathEncode(const Bstr& text, Bstr* out) = 0;
  // The last error of the page, for an error page.
  virtual HRESULT GetLastError(IDispatch** out) = 0;
  // Runs another page of the site as part of this one.
  virtual HRESULT Execute(const Bstr& path) = 0;
  // Runs another page of the site instead of the rest of this one.
  virtual HRESULT Transfer(const Bstr& path) = 0;
};

// What Server.GetLastError returns: the page's last error.
// {75A035F1-2016-4A5F-BEDA-B0CDCA04B9B6}
struct IAspError : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x75A035F1, 0x2016, 0x4A5F, 0xBE, 0xDA, 0xB0, 0xCD, 0xCA, 0x04, 0xB9, 0xB6);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_ASPCode(Bstr* out) = 0;
  virtual HRESULT get_Number(std::int32_t* out) = 0;
  virtual HRESULT get_Category(Bstr* out) = 0;
  virtual HRESULT get_File(Bstr* out) = 0;
  virtual HRESULT get_Line(std::int32_t* out) = 0;
  virtual HRESULT get_Description(Bstr* out) = 0;
  virtual HRESULT get_ASPDescription(Bstr* out) = 0;
  virtual HRESULT get_Column(std::int32_t* out) = 0;
  virtual HRESULT get_Source(Bstr* out) = 0;
};

// The script surface of Session, on top of what components call.
// {13427133-5A2A-42DA-87A7-9955314724B6}
struct IAspSession : host::ISessionObject {
  static constexpr IID kIid =
      MakeGuid(0x13427133, 0x5A2A, 0x42DA, 0x87, 0xA7, 0x99, 0x55, 0x31, 0x47, 0x24, 0xB6);
  static const InterfaceInfo& TypeInfo();

  // Session("x"): the stored value, EMPTY when absent.
  virtual HRESULT get_Item(const Variant& key, Variant* out) = 0;
  virtual HRESULT put_Item(const Variant& key, const Variant& value) = 0;
  virtual HRESULT get_SessionID(std::int32_t* out) = 0;
  virtual HRESULT get_Timeout(std::int32_t* out) = 0;
  virtual HRESULT put_CodePage(std::int32_t codePage) = 0;
  virtual HRESULT get_LCID(std::int32_t* out) = 0;
  virtual HRESULT put_LCID(std::int32_t lcid) = 0;
  virtual HRESULT get_Contents(IDispatch** out) = 0;
  // Ends the session once this page has finished.
  virtual HRESULT Abandon() = 0;
};

// The script surface of Application.
// {5765F3B5-C77D-44E2-BC24-9A56F6D84B28}
struct IAspApplication : host::IApplicationObject {
  static constexpr IID kIid =
      MakeGuid(0x5765F3B5, 0xC77D, 0x44E2, 0xBC, 0x24, 0x9A, 0x56, 0xF6, 0xD8, 0x4B, 0x28);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Item(const Variant& key, Variant* out) = 0;
  virtual HRESULT put_Item(const Variant& key, const Variant& value) = 0;
  virtual HRESULT get_Contents(IDispatch** out) = 0;
  // Waits until no other page holds the lock, at most until this page's
  // script time-out. Every Lock not matched by Unlock ends with the page.
  virtual HRESULT Lock() = 0;
  virtual HRESULT Unlock() = 0;
};

// Session.Contents and Application.Contents: the values pages store.
// {E8D96DA1-DCAB-4A5A-8887-0C7AB8891996}
struct IAspContents : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xE8D96DA1, 0xDCAB, 0x4A5A, 0x88, 0x87, 0x0C, 0x7A, 0xB8, 0x89, 0x19, 0x96);
  static const InterfaceInfo& TypeInfo();

  // A name, or a 1-based position when `key` is a number. Absent: EMPTY.
  virtual HRESULT get_Item(const Variant& key, Variant* out) = 0;
  virtual HRESULT put_Item(const Variant& key, const Variant& value) = 0;
  virtual HRESULT get_Count(std::int32_t* out) = 0;
  virtual HRESULT get_Key(const Variant& position, Variant* out) = 0;
  // A name or a 1-based position; an absent one is not an error.
  virtual HRESULT Remove(const Variant& key) = 0;
  virtual HRESULT RemoveAll() = 0;
  virtual HRESULT get__NewEnum(IUnknown** out) = 0;
};

// The scripting context's script surface: the five objects by name.
// {B332D622-FFCB-4DBC-9869-60B8F4DEC925}
struct IAspScriptingContext : host::IScriptingContext {
  static constexpr IID kIid =
      MakeGuid(0xB332D622, 0xFFCB, 0x4DBC, 0x98, 0x69, 0x60, 0xB8, 0xF4, 0xDE, 0xC9, 0x25);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT ScriptRequest(IDispatch** out) = 0;
  virtual HRESULT ScriptResponse(IDispatch** out) = 0;
  virtual HRESULT ScriptServer(IDispatch** out) = 0;
  virtual HRESULT ScriptSession(IDispatch** out) = 0;
  virtual HRESULT ScriptApplication(IDispatch** out) = 0;
};

}  // namespace vant::host::intrinsics
