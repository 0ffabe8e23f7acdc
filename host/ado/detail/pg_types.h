// PostgreSQL values and the ADO side: the field type a column of a type
// OID reports, a text-format value as a cell, a page's value as a
// statement parameter.
//   int2 -> adSmallInt, int4 -> adInteger, int8 -> adBigInt,
//   float4 -> adSingle, float8 -> adDouble, numeric -> adNumeric (read as a double),
//   bool -> adBoolean, date -> adDBDate, timestamp(tz) -> adDBTimeStamp (UTC),
//   bytea -> adLongVarBinary, varchar(n)/char(n) -> adVarWChar,
//   text, uuid and every other type -> adLongVarWChar (their text form).
#pragma once

#include <cstdint>
#include <string_view>

#include "host/ado/detail/cell.h"
#include "host/ado/detail/column_type.h"
#include "host/ado/detail/outcome.h"
#include "host/ado/detail/pg_connection.h"
#include "platform/automation/automation.h"

namespace vant::host::ado {

inline constexpr unsigned kPgByteaOid = 17;

bool IsPgIntegerType(unsigned oid);

// The reported type of a column of type `oid` with type modifier `typmod`.
ColumnType TypeOfPgColumn(unsigned oid, int typmod);

// A text-format value of type `oid` as a cell.
Cell PgTextToCell(unsigned oid, std::string_view text);

// A page's value as the parameter of type `oid` (0: let the server decide):
// Empty/Null as NULL, booleans as true/false for a bool parameter and 1/0
// otherwise, dates as ISO text, byte arrays as binary bytea, an object
// through its default member. kBadArgument for anything else.
Outcome PgParamOf(const Variant& value, unsigned oid, PgParam* out);

}  // namespace vant::host::ado
