// The scriptable surface of ADODB.Recordset. Its default member is Fields,
// so rs("name") reaches the Field; a put on the default member with an
// index (rs("name") = v) assigns that field's value.
#pragma once

#include <cstdint>

#include "platform/automation/automation.h"

namespace vant::host::ado {

// Cursor types, lock types and cursor locations.
inline constexpr std::int32_t kAdOpenUnspecified = -1;
inline constexpr std::int32_t kAdOpenForwardOnly = 0;
inline constexpr std::int32_t kAdOpenKeyset = 1;
inline constexpr std::int32_t kAdOpenDynamic = 2;
inline constexpr std::int32_t kAdOpenStatic = 3;
inline constexpr std::int32_t kAdLockUnspecified = -1;
inline constexpr std::int32_t kAdLockReadOnly = 1;
inline constexpr std::int32_t kAdLockBatchOptimistic = 4;
inline constexpr std::int32_t kAdUseServer = 2;
inline constexpr std::int32_t kAdUseClient = 3;

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
  virtual HRESULT put_Source(Variant value) = 0;
  virtual HRESULT get_ActiveConnection(Variant* out) = 0;
  virtual HRESULT put_ActiveConnection(Variant value) = 0;
  virtual HRESULT get_CursorType(std::int32_t* out) = 0;
  virtual HRESULT put_CursorType(std::int32_t value) = 0;
  virtual HRESULT get_CursorLocation(std::int32_t* out) = 0;
  virtual HRESULT put_CursorLocation(std::int32_t value) = 0;
  virtual HRESULT get_LockType(std::int32_t* out) = 0;
  virtual HRESULT put_LockType(std::int32_t value) = 0;
  virtual HRESULT get_CacheSize(std::int32_t* out) = 0;
  virtual HRESULT put_CacheSize(std::int32_t value) = 0;
  virtual HRESULT get_MaxRecords(std::int32_t* out) = 0;
  virtual HRESULT put_MaxRecords(std::int32_t value) = 0;
  virtual HRESULT get_PageSize(std::int32_t* out) = 0;
  virtual HRESULT put_PageSize(std::int32_t value) = 0;
  virtual HRESULT get_PageCount(std::int32_t* out) = 0;
  virtual HRESULT get_AbsolutePage(std::int32_t* out) = 0;
  virtual HRESULT put_AbsolutePage(std::int32_t value) = 0;
  virtual HRESULT get_AbsolutePosition(std::int32_t* out) = 0;
  virtual HRESULT put_AbsolutePosition(std::int32_t value) = 0;
  virtual HRESULT get_Bookmark(Variant* out) = 0;
  virtual HRESULT put_Bookmark(Variant value) = 0;
  virtual HRESULT get_Filter(Variant* out) = 0;
  virtual HRESULT put_Filter(Variant value) = 0;
  virtual HRESULT get_Sort(Bstr* out) = 0;
  virtual HRESULT put_Sort(const Bstr& value) = 0;
  virtual HRESULT get_EditMode(std::int32_t* out) = 0;
  virtual HRESULT Move(std::int32_t numRecords, Variant start) = 0;
  virtual HRESULT Find(const Bstr& criteria, std::int32_t skipRecords, std::int32_t searchDirection,
                       Variant start) = 0;
  virtual HRESULT GetRows(std::int32_t rows, Variant start, Variant fields, Variant* out) = 0;
  virtual HRESULT GetString(std::int32_t format, std::int32_t rows, const Bstr& columnDelimiter,
                            const Bstr& rowDelimiter, const Bstr& nullExpression, Bstr* out) = 0;
  virtual HRESULT Requery(std::int32_t options) = 0;
  virtual HRESULT Supports(std::int32_t cursorOptions, VARIANT_BOOL* out) = 0;
  virtual HRESULT NextRecordset(Variant recordsAffected, IDispatch** out) = 0;
};

}  // namespace vant::host::ado
