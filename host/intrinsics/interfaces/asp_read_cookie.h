// One cookie the browser sent. A value of the form "k1=v1&k2=v2" is a
// keyed cookie; enumerating it yields its keys.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"
#include "platform/host/dictionaries.h"

namespace vant::host::intrinsics {

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

}  // namespace vant::host::intrinsics
