// Opening a recordset's rows. The source is a table name or a SELECT; the
// rows are read once into a static snapshot.
//
// To write rows back, the loader needs each row's rowid: it runs
// "SELECT rowid AS __vant_rowid, <the query's list> ..." and keeps the rows
// updatable when that statement prepares and every column that comes from a
// table comes from one and the same table (so joins, subqueries in FROM,
// compound selects, GROUP BY queries and WITHOUT ROWID tables are read-only).
// When, in addition, every column is a plain column of that table, BLOB
// columns are not read at all: the query's select list is replaced by one
// that fetches typeof() and length() of each BLOB column, and the bytes are
// read later through incremental BLOB I/O.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "host/ado/detail/database.h"
#include "host/ado/detail/outcome.h"
#include "host/ado/detail/recordset_data.h"

namespace vant::host::ado {

// Command types a source may be given as (Recordset.Open's options,
// Command.CommandType).
inline constexpr std::int32_t kAdCmdText = 1;
inline constexpr std::int32_t kAdCmdTable = 2;
inline constexpr std::int32_t kAdCmdStoredProc = 4;
inline constexpr std::int32_t kAdCmdTableDirect = 512;

struct LoadOptions {
  // Values of the statement's `?` parameters, bound in order: never pasted
  // into the SQL text.
  std::span<const Variant> parameters;
  std::int32_t maxRecords = 0;    // 0: every row
  std::int32_t commandType = -1;  // adCmdTable(Direct) forces a table name
  std::int32_t timeout = -1;      // seconds (0: none); -1: the database's CommandTimeout
};

// Fills `out` (columns, rows, table, position on the first row) from
// `source` on `db`. kDatabaseError with SQLite's message when the query
// fails; kQueryTimeout past the timeout; kMissingParameter when the
// statement has more parameters than values were given; kNotSupported for
// a stored procedure.
Outcome LoadRecordset(const std::shared_ptr<Database>& db, std::u16string_view source,
                      bool readOnly, RecordsetData* out, const LoadOptions& options = {});

// Binds `values` to the parameters of `stmt` from its first, starting at
// `values[*next]`; *next advances past the values used, so the statements
// of one command text take the values in turn.
Outcome BindParameters(sqlite3_stmt* stmt, std::span<const Variant> values, std::size_t* next);

}  // namespace vant::host::ado
