#include "host/ado/detail/pg_rows.h"

#include <algorithm>
#include <string>

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/pg_connection.h"
#include "host/ado/detail/pg_recordset.h"
#include "host/ado/detail/pg_types.h"
#include "host/ado/detail/sql_text.h"

namespace vant::host::ado {
namespace {

// Where a BLOB waits between the COPY and the UPDATE that moves it into
// the row; emptied right after, so the session does not keep the bytes.
constexpr std::string_view kStageTable =
    "CREATE TEMP TABLE IF NOT EXISTS vant_blob_in (v bytea); TRUNCATE vant_blob_in";
constexpr std::string_view kStageCopy = "COPY vant_blob_in (v) FROM STDIN (FORMAT binary)";

PgParam KeyParam(std::int64_t rowid) { return PgParam{std::to_string(rowid)}; }

std::string KeyClause(const RecordsetData& data, int index) {
  return " WHERE " + QuoteIdentifier(data.key) + " = $" + std::to_string(index);
}

// Runs `sql` with the pending plain values of `columns`, then `extra`.
Outcome RunWithValues(RecordsetData& data, const std::string& sql,
                      const std::vector<std::size_t>& columns, std::vector<PgParam> extra,
                      PgResult* result) {
  PgConnection& pg = *data.db->pg();
  PgResult description;
  if (Outcome prepared = pg.Prepare(sql, &description); !prepared.ok()) return prepared;
  std::vector<PgParam> params;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    PgParam param;
    const Oid type = PQparamtype(description.get(), static_cast<int>(i));
    if (Outcome made = PgParamOf(data.pending[columns[i]]->value, type, &param); !made.ok()) {
      return made;
    }
    params.push_back(std::move(param));
  }
  for (PgParam& param : extra) params.push_back(std::move(param));
  return pg.RunPrepared(params, false, result);
}

Outcome SendChunks(RecordsetData& data, std::int64_t rowid, std::size_t column) {
  PgConnection& pg = *data.db->pg();
  SpillFile& chunks = *data.pending[column]->chunks;
  if (Outcome staged = pg.Exec(std::string(kStageTable)); !staged.ok()) return staged;
  if (Outcome copied = pg.CopyBytesIn(std::string(kStageCopy), chunks); !copied.ok()) {
    return copied;
  }
  const std::string sql = "UPDATE " + PgQualifiedTable(data) + " SET " +
                          QuoteIdentifier(data.columns[column].origin) +
                          " = (SELECT v FROM vant_blob_in)" + KeyClause(data, 1);
  PgResult unused;
  if (Outcome moved = pg.Run(sql, {KeyParam(rowid)}, false, &unused); !moved.ok()) return moved;
  return pg.Exec("TRUNCATE vant_blob_in");
}

}  // namespace

Outcome PgWriteRow(RecordsetData& data, Row& row, std::int64_t* rowid) {
  std::vector<std::size_t> plain;
  std::vector<std::size_t> chunked;
  for (std::size_t c = 0; c < data.pending.size(); ++c) {
    if (!data.pending[c]) continue;
    (data.pending[c]->chunks ? chunked : plain).push_back(c);
  }
  const bool adding = data.mode == EditMode::kAdd;
  std::string names;
  std::string marks;
  for (std::size_t i = 0; i < plain.size(); ++i) {
    const std::string column = QuoteIdentifier(data.columns[plain[i]].origin);
    const std::string mark = "$" + std::to_string(i + 1);
    names += (i == 0 ? "" : ", ") + column;
    marks += (i == 0 ? "" : ", ") + (adding ? mark : column + " = " + mark);
  }
  PgResult result;
  if (adding) {
    const std::string values =
        plain.empty() ? " DEFAULT VALUES" : " (" + names + ") VALUES (" + marks + ")";
    const std::string sql = "INSERT INTO " + PgQualifiedTable(data) + values + " RETURNING " +
                            QuoteIdentifier(data.key);
    if (Outcome ran = RunWithValues(data, sql, plain, {}, &result); !ran.ok()) return ran;
    if (PQntuples(result.get()) != 1 || PQgetisnull(result.get(), 0, 0)) {
      return Outcome::Fail(kDatabaseError, u"The new row has no key.");
    }
    *rowid = std::atoll(PQgetvalue(result.get(), 0, 0));
  } else {
    *rowid = *row.rowid;
    if (!plain.empty()) {
      const std::string sql = "UPDATE " + PgQualifiedTable(data) + " SET " + marks +
                              KeyClause(data, static_cast<int>(plain.size()) + 1);
      if (Outcome ran = RunWithValues(data, sql, plain, {KeyParam(*rowid)}, &result); !ran.ok()) {
        return ran;
      }
    }
  }
  for (std::size_t column : chunked) {
    if (Outcome sent = SendChunks(data, *rowid, column); !sent.ok()) return sent;
  }
  return Outcome::Ok();
}

Outcome PgReload(RecordsetData& data, Row& row) {
  const std::string sql = "SELECT " + PgProjection(data.columns) + " FROM " +
                          PgQualifiedTable(data) + KeyClause(data, 1);
  PgResult result;
  if (Outcome ran = data.db->pg()->Run(sql, {KeyParam(*row.rowid)}, false, &result); !ran.ok()) {
    return ran;
  }
  if (PQntuples(result.get()) == 0) return Outcome::Ok();  // a trigger removed it
  std::vector<Cell> cells;
  PgReadCells(result.get(), 0, 0, data.columns, &cells);
  for (std::size_t c = 0; c < cells.size(); ++c) {
    if (!data.columns[c].origin.empty()) row.cells[c] = std::move(cells[c]);
  }
  return Outcome::Ok();
}

Outcome PgDeleteRow(RecordsetData& data, const Row& row) {
  if (Outcome open = data.db->RequireOpen(); !open.ok()) return open;
  const std::string sql = "DELETE FROM " + PgQualifiedTable(data) + KeyClause(data, 1);
  PgResult unused;
  return data.db->pg()->Run(sql, {KeyParam(*row.rowid)}, false, &unused);
}

Outcome PgReadStoredBlob(RecordsetData& data, const Row& row, std::size_t column,
                         std::int64_t offset, std::int64_t length, std::vector<std::uint8_t>* out) {
  out->clear();
  if (Outcome open = data.db->RequireOpen(); !open.ok()) return open;
  auto& window = data.window;
  const bool inWindow = window && window->column == column && window->rowid == *row.rowid &&
                        offset >= window->offset &&
                        offset + length <= window->offset + std::ssize(window->bytes);
  if (!inWindow) {
    window.reset();
    // A read larger than a window goes straight to the caller.
    const std::int64_t fetch = std::max(length, kPgBlobWindow);
    const std::string sql = "SELECT substring(" + QuoteIdentifier(data.columns[column].origin) +
                            " FROM $1 FOR $2) FROM " + PgQualifiedTable(data) + KeyClause(data, 3);
    PgResult result;
    if (Outcome ran = data.db->pg()->Run(sql,
                                         {PgParam{std::to_string(offset + 1)},
                                          PgParam{std::to_string(fetch)}, KeyParam(*row.rowid)},
                                         true, &result);
        !ran.ok()) {
      return ran;
    }
    if (PQntuples(result.get()) == 0) {
      return Outcome::Fail(kNoCurrentRecord, u"The row is no longer in the table.");
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(PQgetvalue(result.get(), 0, 0));
    const auto size = static_cast<std::size_t>(PQgetlength(result.get(), 0, 0));
    if (length > kPgBlobWindow) {
      out->assign(bytes, bytes + std::min<std::size_t>(size, static_cast<std::size_t>(length)));
      return Outcome::Ok();
    }
    window = BlobWindow{column, *row.rowid, offset, std::vector<std::uint8_t>(bytes, bytes + size)};
  }
  const auto start = static_cast<std::size_t>(offset - window->offset);
  const std::size_t count =
      std::min<std::size_t>(window->bytes.size() - start, static_cast<std::size_t>(length));
  out->assign(window->bytes.begin() + static_cast<std::ptrdiff_t>(start),
              window->bytes.begin() + static_cast<std::ptrdiff_t>(start + count));
  return Outcome::Ok();
}

}  // namespace vant::host::ado
