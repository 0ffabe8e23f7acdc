// The scriptable surface of a recordset's Fields collection: by name (any
// case) or 0-based index, Count, and enumeration.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::host::ado {

// {00001564-0000-0010-8000-00AA006D2EA4}
struct IAdoFields : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x00001564, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Count(std::int32_t* out) = 0;
  virtual HRESULT get_Item(Variant index, IDispatch** out) = 0;
  virtual HRESULT put_Item(Variant index, Variant value) = 0;
  virtual HRESULT NewEnum(IUnknown** out) = 0;
};

}  // namespace vant::host::ado
