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

#include <memory>
#include <string_view>

#include "host/ado/database.h"
#include "host/ado/outcome.h"
#include "host/ado/recordset_data.h"

namespace vant::host::ado {

// Fills `out` (columns, rows, table, position on the first row) from
// `source` on `db`. kDatabaseError with SQLite's message when the query
// fails.
Outcome LoadRecordset(const std::shared_ptr<Database>& db, std::u16string_view source,
                      bool readOnly, RecordsetData* out);

}  // namespace vant::host::ado
