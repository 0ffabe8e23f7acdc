#include "host/ado/detail/blob_io.h"

#include <algorithm>
#include <string>

#include "host/ado/detail/ado_error.h"
#include "host/ado/detail/pg_rows.h"
#include "host/ado/detail/row_codec.h"
#include "host/ado/detail/sql_text.h"

namespace vant::host::ado {
namespace {

constexpr int kReadOnly = 0;
constexpr int kReadWrite = 1;

Outcome OpenBlobHandle(RecordsetData& data, std::int64_t rowid, std::size_t column, int flags,
                       BlobHandle* out) {
  if (Outcome open = data.db->RequireOpen(); !open.ok()) return open;
  sqlite3_blob* raw = nullptr;
  const int rc = sqlite3_blob_open(data.db->handle(), data.schema.c_str(), data.table.c_str(),
                                   data.columns[column].origin.c_str(), rowid, flags, &raw);
  out->reset(raw);
  if (rc != SQLITE_OK) return data.db->LastError();
  return Outcome::Ok();
}

// The read handle of `column` in `rowid`, reusing the one GetChunk left open.
Outcome ReadHandle(RecordsetData& data, std::int64_t rowid, std::size_t column,
                   sqlite3_blob** out) {
  if (Outcome open = data.db->RequireOpen(); !open.ok()) return open;
  if (data.reading && data.reading->column == column && data.reading->rowid == rowid) {
    *out = data.reading->handle.get();
    return Outcome::Ok();
  }
  data.reading.reset();
  OpenBlob blob{column, rowid, nullptr};
  if (Outcome opened = OpenBlobHandle(data, rowid, column, kReadOnly, &blob.handle); !opened.ok()) {
    return opened;
  }
  *out = blob.handle.get();
  data.reading = std::move(blob);
  return Outcome::Ok();
}

}  // namespace

Outcome ReadStoredBlob(RecordsetData& data, const Row& row, std::size_t column, std::int64_t offset,
                       std::int64_t length, std::vector<std::uint8_t>* out) {
  if (data.db->postgres()) return PgReadStoredBlob(data, row, column, offset, length, out);
  out->clear();
  sqlite3_blob* blob = nullptr;
  if (Outcome opened = ReadHandle(data, *row.rowid, column, &blob); !opened.ok()) return opened;
  const std::int64_t size = sqlite3_blob_bytes(blob);
  const std::int64_t count = std::clamp<std::int64_t>(size - offset, 0, length);
  if (count > 0) {
    out->resize(static_cast<std::size_t>(count));
    if (sqlite3_blob_read(blob, out->data(), static_cast<int>(count), static_cast<int>(offset)) !=
        SQLITE_OK) {
      out->clear();
      const Outcome failed = data.db->LastError();
      data.reading.reset();
      return failed;
    }
  }
  // Read to the end: let go of the handle (and the read lock it holds).
  if (offset + count >= size) data.reading.reset();
  return Outcome::Ok();
}

Outcome LoadStoredCell(RecordsetData& data, const Row& row, std::size_t column, Cell* out) {
  const std::string sql = "SELECT " + QuoteIdentifier(data.columns[column].origin) + " FROM " +
                          QuoteIdentifier(data.schema) + "." + QuoteIdentifier(data.table) +
                          " WHERE rowid = ?";
  Statement stmt;
  if (Outcome prepared = data.db->Prepare(sql, &stmt); !prepared.ok()) return prepared;
  sqlite3_bind_int64(stmt.get(), 1, *row.rowid);
  bool found = false;
  if (Outcome stepped = data.db->Step(stmt.get(), &found); !stepped.ok()) return stepped;
  if (!found) return Outcome::Fail(kNoCurrentRecord, u"The row is no longer in the table.");
  ColumnInfo eager = data.columns[column];
  eager.lazy = false;
  std::vector<Cell> cells;
  ReadCells(stmt.get(), 0, {eager}, &cells);
  *out = std::move(cells.front());
  return Outcome::Ok();
}

Outcome WriteBlobFromSpill(RecordsetData& data, std::int64_t rowid, std::size_t column,
                           SpillFile& spill) {
  BlobHandle blob;
  if (Outcome opened = OpenBlobHandle(data, rowid, column, kReadWrite, &blob); !opened.ok())
    return opened;
  if (Outcome rewound = spill.Rewind(); !rewound.ok()) return rewound;
  std::vector<std::uint8_t> piece(kBlobWritePiece);
  std::int64_t offset = 0;
  for (;;) {
    std::size_t got = 0;
    if (Outcome read = spill.Read(piece.data(), piece.size(), &got); !read.ok()) return read;
    if (got == 0) return Outcome::Ok();
    if (sqlite3_blob_write(blob.get(), piece.data(), static_cast<int>(got),
                           static_cast<int>(offset)) != SQLITE_OK) {
      return data.db->LastError();
    }
    offset += static_cast<std::int64_t>(got);
  }
}

}  // namespace vant::host::ado
