// The value list that Request.QueryString("x") and Request.Form("x") return:
// one entry per occurrence of the name, in the order sent.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::host::intrinsics {

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

}  // namespace vant::host::intrinsics
