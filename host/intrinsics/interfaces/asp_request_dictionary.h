// The read-only keyed collections of Request: QueryString, Form,
// ServerVariables and Cookies. Enumerating one yields its keys.
#pragma once

#include "platform/automation/automation.h"
#include "platform/host/dictionaries.h"

namespace vant::host::intrinsics {

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

}  // namespace vant::host::intrinsics
