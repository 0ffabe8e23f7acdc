// The scriptable surface of the database access objects: each interface's
// IID and member table.
#pragma once

#include <cstdint>

#include "platform/ado/field.h"
#include "platform/automation/automation.h"

namespace vant::host::ado {

// The scriptable surface of ADODB.Connection.
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

// The scriptable surface of a Connection's Errors collection and its Error
// objects: what the last failed operation through the connection reported.
// {00000501-0000-0010-8000-00AA006D2EA4}
struct IAdoErrors : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x00000501, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Item(Variant index, IDispatch** out) = 0;
  virtual HRESULT get_Count(std::int32_t* out) = 0;
  virtual HRESULT Clear() = 0;
  virtual HRESULT Refresh() = 0;
  virtual HRESULT NewEnum(IUnknown** out) = 0;
};

// {00000500-0000-0010-8000-00AA006D2EA4}
struct IAdoErrorItem : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x00000500, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Description(Bstr* out) = 0;
  virtual HRESULT get_Number(std::int32_t* out) = 0;
  virtual HRESULT get_Source(Bstr* out) = 0;
  virtual HRESULT get_NativeError(std::int32_t* out) = 0;
  virtual HRESULT get_SQLState(Bstr* out) = 0;
  virtual HRESULT get_HelpFile(Bstr* out) = 0;
  virtual HRESULT get_HelpContext(std::int32_t* out) = 0;
};

// The scriptable surface of ADODB.Command, its Parameters collection and
// Parameter objects. A Command's default member is Parameters, so
// cmd("name") and cmd(0) reach a Parameter, and cmd(0) = v sets its value.
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

// The scriptable surface of ADODB.Recordset. Its default member is Fields,
// so rs("name") reaches the Field; a put on the default member with an
// index (rs("name") = v) assigns that field's value.
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

// The scriptable surface of a recordset's Fields collection: by name (any
// case) or 0-based index, Count, and enumeration.
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

// The scriptable surface of a Field. It extends the component-facing
// field interface (same identifier), so components reach Type, ActualSize,
// GetChunk and AppendChunk through the function table, and pages reach
// every member late-bound. Value is the default member.
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

// The scriptable surface of ADODB.Stream: binary or text contents with a
// current position, loaded from and saved to files.
// Stream types, read options, save options and line separators.
inline constexpr std::int32_t kAdTypeBinary = 1;
inline constexpr std::int32_t kAdTypeText = 2;
inline constexpr std::int32_t kAdReadAll = -1;
inline constexpr std::int32_t kAdReadLine = -2;
inline constexpr std::int32_t kAdWriteLine = 1;
inline constexpr std::int32_t kAdSaveCreateNotExist = 1;
inline constexpr std::int32_t kAdSaveCreateOverWrite = 2;
inline constexpr std::int32_t kAdCrLf = -1;
inline constexpr std::int32_t kAdLf = 10;
inline constexpr std::int32_t kAdCr = 13;

// {00000565-0000-0010-8000-00AA006D2EA4}
struct IAdoStream : IDispatch {
  static constexpr IID kIid =
      MakeGuid(0x00000565, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4);
  static const InterfaceInfo& TypeInfo();

  virtual HRESULT get_Size(Variant* out) = 0;
  virtual HRESULT get_EOS(VARIANT_BOOL* out) = 0;
  virtual HRESULT get_Position(Variant* out) = 0;
  virtual HRESULT put_Position(Variant position) = 0;
  virtual HRESULT get_Type(std::int32_t* out) = 0;
  virtual HRESULT put_Type(std::int32_t type) = 0;
  virtual HRESULT get_LineSeparator(std::int32_t* out) = 0;
  virtual HRESULT put_LineSeparator(std::int32_t separator) = 0;
  virtual HRESULT get_State(std::int32_t* out) = 0;
  virtual HRESULT get_Mode(std::int32_t* out) = 0;
  virtual HRESULT put_Mode(std::int32_t mode) = 0;
  virtual HRESULT get_Charset(Bstr* out) = 0;
  virtual HRESULT put_Charset(const Bstr& charset) = 0;
  virtual HRESULT Read(std::int32_t numBytes, Variant* out) = 0;
  virtual HRESULT Open(Variant source, std::int32_t mode, std::int32_t options,
                       const Bstr& userName, const Bstr& password) = 0;
  virtual HRESULT Close() = 0;
  virtual HRESULT SkipLine() = 0;
  virtual HRESULT Write(Variant buffer) = 0;
  virtual HRESULT SetEOS() = 0;
  virtual HRESULT CopyTo(IDispatch* destination, std::int32_t charNumber) = 0;
  virtual HRESULT Flush() = 0;
  virtual HRESULT SaveToFile(const Bstr& fileName, std::int32_t options) = 0;
  virtual HRESULT LoadFromFile(const Bstr& fileName) = 0;
  virtual HRESULT ReadText(std::int32_t numChars, Bstr* out) = 0;
  virtual HRESULT WriteText(const Bstr& data, std::int32_t options) = 0;
  virtual HRESULT Cancel() = 0;
};

}  // namespace vant::host::ado
