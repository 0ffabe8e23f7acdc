// The state one recordset shares with its Fields collection and Field
// objects: the columns, the loaded rows (a static snapshot), the current
// position, the pending edit and the GetChunk read positions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/ado/detail/cell.h"
#include "host/ado/detail/column_type.h"
#include "host/ado/detail/database.h"
#include "host/ado/detail/outcome.h"
#include "host/ado/detail/spill_file.h"
#include "host/ado/detail/sqlite_handle.h"
#include "platform/automation/automation.h"

namespace vant::host::ado {

struct ColumnInfo {
  std::u16string name;  // as the query reports it
  std::string origin;   // column of the base table; empty for an expression
  ColumnType type;
  bool lazy = false;  // BLOBs stay in the database (typeof + length loaded)
};

struct Row {
  std::optional<std::int64_t> rowid;  // none for an added row before Update
  bool deleted = false;
  bool filtered = false;    // hidden by the recordset's Filter
  std::size_t ordinal = 0;  // order of loading (or adding): bookmark and unsorted order
  std::vector<Cell> cells;

  bool visible() const { return !deleted && !filtered; }
};

// A value assigned to a field since the row was made current: a plain value
// (Value put) or the chunks collected by AppendChunk.
struct PendingValue {
  Variant value;
  std::unique_ptr<SpillFile> chunks;
};

enum class EditMode : std::uint8_t { kNone, kEdit, kAdd };

// The BLOB handle GetChunk keeps open between calls on one field, so each
// chunk continues from the handle's cached overflow position instead of
// walking the value from its start.
struct OpenBlob {
  std::size_t column = 0;
  std::int64_t rowid = 0;
  BlobHandle handle;
};

// PostgreSQL: the bytes of a stored BLOB fetched in one round trip, from
// which the following GetChunk calls are served.
struct BlobWindow {
  std::size_t column = 0;
  std::int64_t rowid = 0;
  std::int64_t offset = 0;
  std::vector<std::uint8_t> bytes;
};

struct RecordsetData {
  bool open = true;  // false once the recordset was closed
  std::shared_ptr<Database> db;
  std::string schema = "main";  // database of the base table
  std::string table;            // base table; empty when the rows cannot be written
  std::string key;              // PostgreSQL: the integer primary key that stands for the rowid
  bool readOnly = false;        // opened with adLockReadOnly or through Execute
  std::vector<ColumnInfo> columns;
  std::vector<Row> rows;
  std::size_t nextOrdinal = 0;

  // -1 before the first row (BOF), rows.size() after the last (EOF).
  std::ptrdiff_t position = 0;
  EditMode mode = EditMode::kNone;
  std::ptrdiff_t positionBeforeAdd = 0;
  std::vector<std::optional<PendingValue>> pending;  // per column
  std::vector<std::int64_t> chunkOffsets;            // per column
  std::optional<OpenBlob> reading;                   // declared after db: closed first
  std::optional<BlobWindow> window;

  bool updatable() const { return !table.empty() && !readOnly; }
  // Rows neither deleted nor filtered out.
  std::size_t liveRowCount() const;
  bool atEof() const;
  bool atBof() const;
  // The current row, or null at BOF/EOF or on a deleted or hidden row.
  Row* current();

  // Positions on the first/next/previous/last live row; also clears the
  // pending edit state and GetChunk positions.
  void MoveFirst();
  void MoveLast();
  void MoveBy(int step);
  // Forgets pending values and read positions (after a move or Update).
  void ResetRowState();
};

// kObjectClosed after Close; kNoCurrentRecord unless there is a current row.
Outcome RequireCurrentRow(RecordsetData& data, Row** row);

}  // namespace vant::host::ado
