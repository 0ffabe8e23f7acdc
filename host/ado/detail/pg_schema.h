// OpenSchema on PostgreSQL: the tables and columns of the database's own
// schemas (pg_catalog, information_schema and TOAST left out), laid out as
// the SQLite catalog queries of schema.cpp lay them out.
#pragma once

#include <cstdint>
#include <string_view>

#include "host/ado/detail/recordset_data.h"

namespace vant::host::ado {

// The query for adSchemaTables (tables == true) or adSchemaColumns; its
// parameters $1 and $2 are the table name and the table type or column
// name restrictions (Null: any).
std::string_view PgSchemaSql(bool tables);

// Turns the columns rows' DATA_TYPE (a type OID) and
// CHARACTER_MAXIMUM_LENGTH (a type modifier) into the field type number
// and the length of text columns.
void PgTypeSchemaColumns(RecordsetData& rows);

}  // namespace vant::host::ado
