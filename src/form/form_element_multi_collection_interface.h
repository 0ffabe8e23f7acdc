// The whole form: one collection per field name.
#pragma once

#include "platform/automation/automation.h"

namespace vant {

// {F9B2F089-B8F8-45E1-8C2B-B516A34E49C0}
struct IFormElementMultiCollection : IDispatch {
  static constexpr IID kIid = MakeGuid(0xF9B2F089, 0xB8F8, 0x45E1, 0x8C, 0x2B, 0xB5, 0x16, 0xA3, 0x4E, 0x49, 0xC0);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Item(const Variant& varIndex, IDispatch** out) = 0;
  virtual HRESULT get__NewEnum(IUnknown** out) = 0;
  virtual HRESULT get_Count(int32_t* out) = 0;
};

}  // namespace vant
