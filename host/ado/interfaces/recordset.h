// The scriptable surface of ADODB.Recordset. Its default member is Fields,
// so rs("name") reaches the Field; a put on the default member with an
// index (rs("name") = v) assigns that field's value.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::host::ado {

// Cursor and lock types of Recordset.Open.
inline constexpr std::int32_t kAdLockUnspecified = -1;
inline constexpr std::int32_t kAdLockReadOnly = 1;

// {00001556-0000-0010-8000-00AA006D2EA4}
struct IAdoRecordset : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x00001556, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Fields(IDispatch** out) = 0;
  virtual HRESULT put_Item(Variant index, Variant value) = 0;
  virtual HRESULT get_State(std::int32_t* out) = 0;
  virtual HRESULT Open(Variant source, Variant activeConnection, std::int32_t cursorType,
                       std::int32_t lockType, std::int32_t options) = 0;
  virtual HRESULT Close() = 0;
  virtual HRESULT AddNew(Variant fieldList, Variant values) = 0;
  virtual HRESULT Update(Variant fieldList, Variant values) = 0;
  virtual HRESULT CancelUpdate() = 0;
  virtual HRESULT Delete(std::int32_t affectRecords) = 0;
  virtual HRESULT MoveFirst() = 0;
  virtual HRESULT MoveNext() = 0;
  virtual HRESULT MovePrevious() = 0;
  virtual HRESULT MoveLast() = 0;
  virtual HRESULT get_EOF(VARIANT_BOOL* out) = 0;
  virtual HRESULT get_BOF(VARIANT_BOOL* out) = 0;
  virtual HRESULT get_RecordCount(std::int32_t* out) = 0;
  virtual HRESULT get_Source(Bstr* out) = 0;
};

}  // namespace vant::host::ado
