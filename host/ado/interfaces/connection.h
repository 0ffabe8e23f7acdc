// The scriptable surface of ADODB.Connection.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::host::ado {

// Execute options beyond the command type.
inline constexpr std::int32_t kAdExecuteNoRecords = 0x80;
inline constexpr std::int32_t kAdExecuteFlags = 0x10 | 0x20 | 0x40 | kAdExecuteNoRecords;
// OpenSchema's schemas.
inline constexpr std::int32_t kAdSchemaColumns = 4;
inline constexpr std::int32_t kAdSchemaTables = 20;

// {00001550-0000-0010-8000-00AA006D2EA4}
struct IAdoConnection : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x00001550, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4);
  // Members in function-table order, with their dispatch identifiers.
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_ConnectionString(Bstr* out) = 0;
  virtual HRESULT put_ConnectionString(const Bstr& value) = 0;
  virtual HRESULT get_State(std::int32_t* out) = 0;
  virtual HRESULT Open(const Bstr& connectionString, Variant userId, Variant password,
                       std::int32_t options) = 0;
  virtual HRESULT Close() = 0;
  virtual HRESULT Execute(const Bstr& commandText, Variant recordsAffected, std::int32_t options,
                          IDispatch** out) = 0;
  virtual HRESULT BeginTrans(std::int32_t* level) = 0;
  virtual HRESULT CommitTrans() = 0;
  virtual HRESULT RollbackTrans() = 0;
  virtual HRESULT get_Errors(IDispatch** out) = 0;
  virtual HRESULT get_CommandTimeout(std::int32_t* out) = 0;
  virtual HRESULT put_CommandTimeout(std::int32_t value) = 0;
  virtual HRESULT get_ConnectionTimeout(std::int32_t* out) = 0;
  virtual HRESULT put_ConnectionTimeout(std::int32_t value) = 0;
  virtual HRESULT get_CursorLocation(std::int32_t* out) = 0;
  virtual HRESULT put_CursorLocation(std::int32_t value) = 0;
  virtual HRESULT get_Mode(std::int32_t* out) = 0;
  virtual HRESULT put_Mode(std::int32_t value) = 0;
  virtual HRESULT get_Version(Bstr* out) = 0;
  virtual HRESULT OpenSchema(std::int32_t schema, Variant restrictions, Variant schemaId,
                             IDispatch** out) = 0;
};

}  // namespace vant::host::ado
