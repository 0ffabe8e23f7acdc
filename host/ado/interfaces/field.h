// The scriptable surface of a Field. It extends the component-facing
// field interface (same identifier), so components reach Type, ActualSize,
// GetChunk and AppendChunk through the function table, and pages reach
// every member late-bound. Value is the default member.
#pragma once

#include <cstdint>

#include "platform/ado/field.h"
#include "platform/automation/automation.h"

namespace vant::host::ado {

struct IAdoField : vant::ado::IField {
  static const InterfaceInfo& TypeInfo();

  HRESULT get_Type(std::int32_t* out) override = 0;
  HRESULT get_ActualSize(std::int32_t* out) override = 0;
  HRESULT GetChunk(std::int32_t length, Variant* out) override = 0;
  HRESULT AppendChunk(const Variant& data) override = 0;
  virtual HRESULT get_Value(Variant* out) = 0;
  virtual HRESULT put_Value(Variant value) = 0;
  virtual HRESULT get_Name(Bstr* out) = 0;
  virtual HRESULT get_DefinedSize(std::int32_t* out) = 0;
};

}  // namespace vant::host::ado
