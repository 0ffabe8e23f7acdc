// Scriptlet.TypeLib: the object classic pages create for a fresh random
// GUID, `Server.CreateObject("Scriptlet.TypeLib").Guid`, which sites use
// for values a visitor must not guess (form tokens, download keys). Each
// object draws one version-4 GUID from the kernel's random source when it
// is made; Guid reads it as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include <string_view>

#include "platform/automation/automation.h"

namespace vant::host::intrinsics {

// {B8A3F2C1-6D4E-4A7B-9C15-2E8F0D3A6B47}
struct IAspTypeLib : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0xB8A3F2C1, 0x6D4E, 0x4A7B, 0x9C, 0x15, 0x2E, 0x8F, 0x0D, 0x3A, 0x6B, 0x47);
  static const InterfaceInfo& TypeInfo();

  // The object's GUID in registry form (default member).
  virtual HRESULT get_Guid(Bstr* out) = 0;
};

// A new object for "Scriptlet.TypeLib" (any letter case, with or without a
// ".1" version); nullptr for any other ProgID, or when the kernel's random
// source fails (the caller then reports the class as not creatable).
ComPtr<IDispatch> CreateTypeLibObject(std::u16string_view progId);

}  // namespace vant::host::intrinsics
