// The scriptable surface of ADODB.Command, its Parameters collection and
// Parameter objects. A Command's default member is Parameters, so
// cmd("name") and cmd(0) reach a Parameter, and cmd(0) = v sets its value.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::host::ado {

// {0000154E-0000-0010-8000-00AA006D2EA4}
struct IAdoCommand : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x0000154E, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Parameters(IDispatch** out) = 0;
  virtual HRESULT put_Item(Variant index, Variant value) = 0;
  virtual HRESULT get_ActiveConnection(Variant* out) = 0;
  virtual HRESULT put_ActiveConnection(Variant value) = 0;
  virtual HRESULT get_CommandText(Bstr* out) = 0;
  virtual HRESULT put_CommandText(const Bstr& value) = 0;
  virtual HRESULT get_CommandType(std::int32_t* out) = 0;
  virtual HRESULT put_CommandType(std::int32_t value) = 0;
  virtual HRESULT get_CommandTimeout(std::int32_t* out) = 0;
  virtual HRESULT put_CommandTimeout(std::int32_t value) = 0;
  virtual HRESULT get_Prepared(VARIANT_BOOL* out) = 0;
  virtual HRESULT put_Prepared(VARIANT_BOOL value) = 0;
  virtual HRESULT get_State(std::int32_t* out) = 0;
  virtual HRESULT Execute(Variant recordsAffected, Variant parameters, std::int32_t options,
                          IDispatch** out) = 0;
  virtual HRESULT CreateParameter(const Bstr& name, std::int32_t type, std::int32_t direction,
                                  std::int32_t size, Variant value, IDispatch** out) = 0;
  virtual HRESULT Cancel() = 0;
};

// {0000150D-0000-0010-8000-00AA006D2EA4}
struct IAdoParameters : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x0000150D, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Item(Variant index, IDispatch** out) = 0;
  virtual HRESULT put_Item(Variant index, Variant value) = 0;
  virtual HRESULT get_Count(std::int32_t* out) = 0;
  virtual HRESULT Append(IDispatch* parameter) = 0;
  virtual HRESULT Delete(Variant index) = 0;
  virtual HRESULT Refresh() = 0;
  virtual HRESULT NewEnum(IUnknown** out) = 0;
};

// {0000150C-0000-0010-8000-00AA006D2EA4}
struct IAdoParameter : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x0000150C, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Value(Variant* out) = 0;
  virtual HRESULT put_Value(Variant value) = 0;
  virtual HRESULT get_Name(Bstr* out) = 0;
  virtual HRESULT put_Name(const Bstr& value) = 0;
  virtual HRESULT get_Type(std::int32_t* out) = 0;
  virtual HRESULT put_Type(std::int32_t value) = 0;
  virtual HRESULT get_Direction(std::int32_t* out) = 0;
  virtual HRESULT put_Direction(std::int32_t value) = 0;
  virtual HRESULT get_Size(std::int32_t* out) = 0;
  virtual HRESULT put_Size(std::int32_t value) = 0;
  virtual HRESULT get_Precision(std::int32_t* out) = 0;
  virtual HRESULT put_Precision(std::int32_t value) = 0;
  virtual HRESULT get_NumericScale(std::int32_t* out) = 0;
  virtual HRESULT put_NumericScale(std::int32_t value) = 0;
  virtual HRESULT get_Attributes(std::int32_t* out) = 0;
  virtual HRESULT put_Attributes(std::int32_t value) = 0;
  virtual HRESULT AppendChunk(Variant data) = 0;
};

}  // namespace vant::host::ado
