#include "host/ado/detail/row_writer.h"

#include <string>
#include <vector>

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/blob_io.h"
#include "host/ado/detail/pg_rows.h"
#include "host/ado/detail/row_codec.h"
#include "host/ado/detail/sql_text.h"

namespace vant::host::ado {
namespace {

std::string QualifiedTable(const RecordsetData& data) {
  return QuoteIdentifier(data.schema) + "." + QuoteIdentifier(data.table);
}

std::vector<std::size_t> PendingColumns(const RecordsetData& data) {
  std::vector<std::size_t> columns;
  for (std::size_t c = 0; c < data.pending.size(); ++c) {
    if (data.pending[c]) columns.push_back(c);
  }
  return columns;
}

std::string InsertSql(const RecordsetData& data, const std::vector<std::size_t>& columns) {
  if (columns.empty()) return "INSERT INTO " + QualifiedTable(data) + " DEFAULT VALUES";
  std::string names;
  std::string marks;
  for (std::size_t c : columns) {
    names += (names.empty() ? "" : ", ") + QuoteIdentifier(data.columns[c].origin);
    marks += marks.empty() ? "?" : ", ?";
  }
  return "INSERT INTO " + QualifiedTable(data) + " (" + names + ") VALUES (" + marks + ")";
}

std::string UpdateSql(const RecordsetData& data, const std::vector<std::size_t>& columns) {
  std::string sets;
  for (std::size_t c : columns) {
    sets += (sets.empty() ? "" : ", ") + QuoteIdentifier(data.columns[c].origin) + " = ?";
  }
  return "UPDATE " + QualifiedTable(data) + " SET " + sets + " WHERE rowid = ?";
}

// Binds each pending value; chunks get a zero-filled BLOB of their size.
Outcome BindPending(RecordsetData& data, sqlite3_stmt* stmt,
                    const std::vector<std::size_t>& columns) {
  int index = 1;
  for (std::size_t c : columns) {
    const PendingValue& value = *data.pending[c];
    if (value.chunks) {
      const auto size = static_cast<sqlite3_uint64>(value.chunks->size());
      if (sqlite3_bind_zeroblob64(stmt, index, size) != SQLITE_OK) return data.db->LastError();
    } else if (Outcome bound = BindVariant(stmt, index, value.value); !bound.ok()) {
      return bound;
    }
    ++index;
  }
  return Outcome::Ok();
}

Outcome StreamChunks(RecordsetData& data, std::int64_t rowid,
                     const std::vector<std::size_t>& columns) {
  for (std::size_t c : columns) {
    SpillFile* chunks = data.pending[c]->chunks.get();
    if (chunks == nullptr || chunks->size() == 0) continue;
    if (Outcome written = WriteBlobFromSpill(data, rowid, c, *chunks); !written.ok())
      return written;
  }
  return Outcome::Ok();
}

// Runs the INSERT or UPDATE and streams the chunks; `rowid` receives the row.
Outcome WriteRow(RecordsetData& data, Row& row, std::int64_t* rowid) {
  if (data.db->postgres()) return PgWriteRow(data, row, rowid);
  const std::vector<std::size_t> columns = PendingColumns(data);
  const bool adding = data.mode == EditMode::kAdd;
  Statement stmt;
  const std::string sql = adding ? InsertSql(data, columns) : UpdateSql(data, columns);
  if (Outcome prepared = data.db->Prepare(sql, &stmt); !prepared.ok()) return prepared;
  if (Outcome bound = BindPending(data, stmt.get(), columns); !bound.ok()) return bound;
  if (!adding) sqlite3_bind_int64(stmt.get(), static_cast<int>(columns.size()) + 1, *row.rowid);
  bool unused = false;
  if (Outcome stepped = data.db->Step(stmt.get(), &unused); !stepped.ok()) return stepped;
  *rowid = adding ? sqlite3_last_insert_rowid(data.db->handle()) : *row.rowid;
  return StreamChunks(data, *rowid, columns);
}

// Reads the written row back, keeping expression columns as they were.
Outcome Reload(RecordsetData& data, Row& row) {
  if (data.db->postgres()) return PgReload(data, row);
  const std::string sql = "SELECT " + ProjectionSql(data.columns) + " FROM " +
                          QualifiedTable(data) + " WHERE rowid = ?";
  Statement stmt;
  if (Outcome prepared = data.db->Prepare(sql, &stmt); !prepared.ok()) return prepared;
  sqlite3_bind_int64(stmt.get(), 1, *row.rowid);
  bool found = false;
  if (Outcome stepped = data.db->Step(stmt.get(), &found); !stepped.ok()) return stepped;
  if (!found) return Outcome::Ok();  // a trigger removed it; keep what we have
  std::vector<Cell> cells;
  ReadCells(stmt.get(), 0, data.columns, &cells);
  for (std::size_t c = 0; c < cells.size(); ++c) {
    if (!data.columns[c].origin.empty()) row.cells[c] = std::move(cells[c]);
  }
  return Outcome::Ok();
}

}  // namespace

Outcome RequireUpdatable(const RecordsetData& data) {
  if (data.updatable()) return Outcome::Ok();
  return Outcome::Fail(kNotUpdatable,
                       u"The recordset cannot be updated: it is read-only or its rows do not come "
                       u"from one table with a rowid.");
}

Outcome WritePending(RecordsetData& data) {
  if (data.mode == EditMode::kNone) return Outcome::Ok();
  Row* row = nullptr;
  if (Outcome current = RequireCurrentRow(data, &row); !current.ok()) return current;
  if (Outcome open = data.db->RequireOpen(); !open.ok()) return open;
  Savepoint savepoint(*data.db);
  if (Outcome begun = savepoint.begun(); !begun.ok()) return begun;
  std::int64_t rowid = 0;
  if (Outcome written = WriteRow(data, *row, &rowid); !written.ok()) return written;
  if (Outcome released = savepoint.Release(); !released.ok()) return released;
  row->rowid = rowid;
  data.ResetRowState();
  return Reload(data, *row);
}

Outcome DeleteCurrent(RecordsetData& data) {
  if (Outcome updatable = RequireUpdatable(data); !updatable.ok()) return updatable;
  Row* row = nullptr;
  if (Outcome current = RequireCurrentRow(data, &row); !current.ok()) return current;
  if (data.mode == EditMode::kAdd) {
    CancelPending(data);
    return Outcome::Ok();
  }
  if (data.db->postgres()) {
    if (Outcome deleted = PgDeleteRow(data, *row); !deleted.ok()) return deleted;
    row->deleted = true;
    data.ResetRowState();
    return Outcome::Ok();
  }
  Statement stmt;
  const std::string sql = "DELETE FROM " + QualifiedTable(data) + " WHERE rowid = ?";
  if (Outcome prepared = data.db->Prepare(sql, &stmt); !prepared.ok()) return prepared;
  sqlite3_bind_int64(stmt.get(), 1, *row->rowid);
  bool unused = false;
  if (Outcome stepped = data.db->Step(stmt.get(), &unused); !stepped.ok()) return stepped;
  row->deleted = true;
  data.ResetRowState();
  return Outcome::Ok();
}

void CancelPending(RecordsetData& data) {
  if (data.mode == EditMode::kAdd && !data.rows.empty()) {
    data.rows.pop_back();
    data.position = data.positionBeforeAdd;
  }
  data.ResetRowState();
}

}  // namespace vant::host::ado
