// Running commands and opening recordsets on PostgreSQL, the counterpart
// of execute.h and recordset_loader.h for a server.
//
// A recordset can write its rows back when every column that comes from a
// table comes from one table with a one-column integer primary key: the
// loader then runs "SELECT <key> AS __vant_rowid, <the query's list> ..."
// and keeps the key as each row's rowid. When, in addition, every column is
// a plain column of that table, bytea columns are not read: the select list
// is replaced by one that fetches their octet_length(), and the bytes are
// fetched later in windows (pg_blob.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/ado/detail/database.h"
#include "host/ado/detail/outcome.h"
#include "host/ado/detail/pg_connection.h"
#include "host/ado/detail/recordset_data.h"
#include "host/ado/detail/recordset_loader.h"

namespace vant::host::ado {

Outcome PgExecuteCommand(const std::shared_ptr<Database>& db, std::u16string_view commandText,
                         std::shared_ptr<RecordsetData>* rows, std::int64_t* affected,
                         const LoadOptions& options);

Outcome PgLoadRecordset(const std::shared_ptr<Database>& db, std::u16string_view source,
                        bool readOnly, RecordsetData* out, const LoadOptions& options);

// The select list that reads `columns` from their base table: a plain
// column as itself, a lazy column as its octet_length(), an expression as NULL.
std::string PgProjection(const std::vector<ColumnInfo>& columns);

// One row of `result` (laid out as PgProjection from column `first`) as cells.
void PgReadCells(const PGresult* result, int row, int first, const std::vector<ColumnInfo>& columns,
                 std::vector<Cell>* cells);

// Binds `values` to the parameters `description` reports, from values[*next].
Outcome PgBindParameters(const PGresult* description, std::span<const Variant> values,
                         std::size_t* next, std::vector<PgParam>* out);

// "schema"."table" of the recordset's base table.
std::string PgQualifiedTable(const RecordsetData& data);

}  // namespace vant::host::ado
