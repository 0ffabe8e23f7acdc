// The page's Request object, as components call it.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"
#include "platform/host/dictionaries.h"

namespace vant::host {

// {D97A6DA0-A861-11CF-93AE-00A0C90C2BD8}
struct IRequest : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xD97A6DA0, 0xA861, 0x11CF, 0x93, 0xAE, 0x00, 0xA0, 0xC9, 0x0C, 0x2B, 0xD8);

  // The body length announced by the client. It does not change as the body
  // is read, and may differ from what the client really sends.
  virtual HRESULT get_TotalBytes(std::int32_t* out) = 0;
  // Reads the next bytes of the body. In: `count` holds the number of bytes
  // wanted (a 4-byte integer variant). Out: `count` holds the number read and
  // `out` a one-dimensional byte array (VT_ARRAY | VT_UI1) of that many
  // bytes, never more than asked; at the end of the body the array is empty.
  // Components rely on a failure status when the body cannot be read.
  virtual HRESULT BinaryRead(Variant* count, Variant* out) = 0;
  // Server variables by name ("CONTENT_TYPE", "HTTP_RANGE", "SCRIPT_NAME").
  virtual HRESULT get_ServerVariables(IRequestDictionary** out) = 0;
  // The request's cookies; each item offers IReadCookie.
  virtual HRESULT get_Cookies(IRequestDictionary** out) = 0;
};

// {6C1F0E52-3B7A-4D2E-9A41-7E5D2C8B9F13}
// Offered by the host's Request object besides IRequest (QueryInterface):
// which session a request belongs to, for components that keep one
// visitor's data from another (upload progress). Pages without session state
// offer it too: the host reads their session cookie without taking the
// session, so such a page never waits for the session's running request.
struct IRequestSession : IUnknown {
  static constexpr IID kIid =
      MakeGuid(0x6C1F0E52, 0x3B7A, 0x4D2E, 0x9A, 0x41, 0x7E, 0x5D, 0x2C, 0x8B, 0x9F, 0x13);

  // A random secret of the session that the request's session cookie names
  // (never the cookie value itself), or "" when the request sent no cookie
  // of a live session: no cookies at all, an ended or forged one, or a
  // session this very request created (its browser does not hold it yet).
  virtual HRESULT get_SessionKey(Bstr* out) = 0;
};

// {A3E5C7B1-52D4-4F0A-8C6E-1B9D2F4E7A30}
// Offered by a host's Request object besides IRequest (QueryInterface), for
// components that read a large body: the bytes go straight into the
// caller's buffer, with no byte array per read. A host without it is read
// through BinaryRead. Reading through either consumes the same body.
struct IRequestBodyReader : IUnknown {
  static constexpr IID kIid =
      MakeGuid(0xA3E5C7B1, 0x52D4, 0x4F0A, 0x8C, 0x6E, 0x1B, 0x9D, 0x2F, 0x4E, 0x7A, 0x30);

  // Reads the next body bytes into [dst, dst + capacity): waits until
  // `minimum` bytes arrived (fewer only when the body ends), then adds what
  // the connection already holds, up to `capacity`, without waiting.
  // *got = bytes stored (0 at the end of the body). Fails, like BinaryRead,
  // when the client failed before delivering any byte of this read.
  virtual HRESULT ReadBodyInto(std::uint8_t* dst, std::int32_t minimum, std::int32_t capacity,
                               std::int32_t* got) = 0;
};

// {41F585C2-9FE9-4D0C-BC47-EF81E5F49875}
// Offered by a host's Request object besides IRequest (QueryInterface), for
// components that read a server variable or two (a download's HTTP_RANGE):
// the value without making the ServerVariables collection. A host without
// it is asked through the collection, with the same result.
struct IRequestVariables : IUnknown {
  static constexpr IID kIid =
      MakeGuid(0x41F585C2, 0x9FE9, 0x4D0C, 0xBC, 0x47, 0xEF, 0x81, 0xE5, 0xF4, 0x98, 0x75);

  // *value = the variable named by the `length` characters at `name` (letter
  // case ignored) as ServerVariables(name) gives it: empty for an unknown
  // name or a header the request lacks. Fails as the collection does once
  // the page ended.
  virtual HRESULT ReadServerVariable(const char16_t* name, std::int32_t length, Bstr* value) = 0;
};

}  // namespace vant::host
