#include "host/ado/detail/row_codec.h"

#include <cstring>
#include <limits>

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/sql_text.h"

namespace vant::host::ado {
namespace {

Cell ReadEager(sqlite3_stmt* stmt, int index) {
  Cell cell;
  switch (sqlite3_column_type(stmt, index)) {
    case SQLITE_INTEGER:
      cell.kind = Cell::Kind::kInteger;
      cell.integer = sqlite3_column_int64(stmt, index);
      break;
    case SQLITE_FLOAT:
      cell.kind = Cell::Kind::kReal;
      cell.real = sqlite3_column_double(stmt, index);
      break;
    case SQLITE_TEXT: {
      cell.kind = Cell::Kind::kText;
      const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(stmt, index));
      const int bytes = sqlite3_column_bytes16(stmt, index);
      if (text != nullptr) cell.text.assign(text, static_cast<std::size_t>(bytes) / 2);
      break;
    }
    case SQLITE_BLOB: {
      cell.kind = Cell::Kind::kBytes;
      const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt, index));
      const int bytes = sqlite3_column_bytes(stmt, index);
      if (data != nullptr) cell.bytes.assign(data, data + bytes);
      break;
    }
    default:
      break;
  }
  return cell;
}

// A lazy column arrives as typeof(c), length(c).
Cell ReadLazy(sqlite3_stmt* stmt, int index) {
  Cell cell;
  const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
  if (type == nullptr || std::strcmp(type, "null") == 0) return cell;
  if (std::strcmp(type, "blob") != 0) {
    cell.kind = Cell::Kind::kStoredValue;
    return cell;
  }
  cell.kind = Cell::Kind::kStoredBlob;
  cell.size = sqlite3_column_int64(stmt, index + 1);
  return cell;
}

bool FitsInt32(std::int64_t value) {
  return value >= std::numeric_limits<std::int32_t>::min() &&
         value <= std::numeric_limits<std::int32_t>::max();
}

Outcome Bound(sqlite3_stmt* stmt, int rc) {
  if (rc == SQLITE_OK) return Outcome::Ok();
  return Outcome::Fail(kDatabaseError, Utf8ToUtf16(sqlite3_errmsg(sqlite3_db_handle(stmt))));
}

Outcome BindArray(sqlite3_stmt* stmt, int index, const SafeArray& array) {
  if (array.ElementType() != VT_UI1) {
    return Outcome::Fail(kBadArgument, u"Only byte arrays can be stored in a field.");
  }
  return Bound(stmt,
               sqlite3_bind_blob64(stmt, index, array.Bytes(), array.Count(), SQLITE_TRANSIENT));
}

// An object stands for its default member's value (a Field for its Value).
Outcome BindObject(sqlite3_stmt* stmt, int index, IDispatch* object) {
  if (object == nullptr) return Bound(stmt, sqlite3_bind_null(stmt, index));
  DispParams none;
  Variant value;
  if (Failed(object->Invoke(DISPID_VALUE, DISPATCH_PROPERTYGET, none, &value)) ||
      value.vt() == VT_DISPATCH) {
    return Outcome::Fail(kBadArgument, u"The object has no value to store in a field.");
  }
  return BindVariant(stmt, index, value);
}

}  // namespace

std::string ProjectionSql(const std::vector<ColumnInfo>& columns) {
  std::string list;
  for (const ColumnInfo& column : columns) {
    if (!list.empty()) list += ", ";
    if (column.origin.empty()) {
      list += "NULL";
      continue;
    }
    const std::string quoted = QuoteIdentifier(column.origin);
    if (column.lazy) {
      list += "typeof(" + quoted + "), length(" + quoted + ")";
      continue;
    }
    list += quoted + " AS " + QuoteIdentifier(Utf16ToUtf8(column.name));
  }
  return list;
}

void ReadCells(sqlite3_stmt* stmt, int first, const std::vector<ColumnInfo>& columns,
               std::vector<Cell>* cells) {
  cells->clear();
  cells->reserve(columns.size());
  int index = first;
  for (const ColumnInfo& column : columns) {
    cells->push_back(column.lazy ? ReadLazy(stmt, index) : ReadEager(stmt, index));
    index += column.lazy ? 2 : 1;
  }
}

Variant CellToVariant(const Cell& cell) {
  switch (cell.kind) {
    case Cell::Kind::kInteger:
      if (FitsInt32(cell.integer)) return Variant::I4(static_cast<std::int32_t>(cell.integer));
      return Variant::R8(static_cast<double>(cell.integer));
    case Cell::Kind::kReal:
      return Variant::R8(cell.real);
    case Cell::Kind::kText:
      return Variant::String(Bstr(cell.text));
    case Cell::Kind::kBytes:
      return Variant::Array(SafeArray::FromBytes(cell.bytes.data(), cell.bytes.size()));
    case Cell::Kind::kBoolean:
      return Variant::Bool(cell.integer != 0);
    case Cell::Kind::kDate:
      return Variant::FromDate(Date{cell.real});
    default:
      return Variant::Null();
  }
}

Outcome BindVariant(sqlite3_stmt* stmt, int index, const Variant& given) {
  const Variant& value = given.Deref();
  switch (value.vt()) {
    case VT_EMPTY:
    case VT_NULL:
      return Bound(stmt, sqlite3_bind_null(stmt, index));
    case VT_UI1:
      return Bound(stmt, sqlite3_bind_int64(stmt, index, value.ui1()));
    case VT_I2:
      return Bound(stmt, sqlite3_bind_int64(stmt, index, value.i2()));
    case VT_I4:
      return Bound(stmt, sqlite3_bind_int64(stmt, index, value.i4()));
    case VT_BOOL:
      return Bound(stmt, sqlite3_bind_int64(stmt, index, value.boolVal() != 0 ? 1 : 0));
    case VT_R4:
      return Bound(stmt, sqlite3_bind_double(stmt, index, value.r4()));
    case VT_R8:
      return Bound(stmt, sqlite3_bind_double(stmt, index, value.r8()));
    case VT_DATE:
      return Bound(stmt, sqlite3_bind_double(stmt, index, value.date().value));
    case VT_BSTR:
      return Bound(
          stmt, sqlite3_bind_text16(stmt, index, value.bstr().str().data(),
                                    static_cast<int>(value.bstr().size() * 2), SQLITE_TRANSIENT));
    case VT_DISPATCH:
      return BindObject(stmt, index, value.dispatch());
    default:
      break;
  }
  if ((value.vt() & VT_ARRAY) != 0 && value.array() != nullptr) {
    return BindArray(stmt, index, *value.array());
  }
  return Outcome::Fail(kBadArgument, u"The value cannot be stored in a field.");
}

}  // namespace vant::host::ado
