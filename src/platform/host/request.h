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

}  // namespace vant::host
