#include "host/ado/detail/recordset_data.h"

#include "host/ado/detail/ado_error.h"

namespace vant::host::ado {
namespace {

std::ptrdiff_t Size(const RecordsetData& data) {
  return static_cast<std::ptrdiff_t>(data.rows.size());
}

}  // namespace

std::size_t RecordsetData::liveRowCount() const {
  std::size_t count = 0;
  for (const Row& row : rows) count += row.visible() ? 1 : 0;
  return count;
}

bool RecordsetData::atEof() const { return position >= Size(*this) || liveRowCount() == 0; }

bool RecordsetData::atBof() const { return position < 0 || liveRowCount() == 0; }

Row* RecordsetData::current() {
  if (position < 0 || position >= Size(*this)) return nullptr;
  Row& row = rows[static_cast<std::size_t>(position)];
  return row.visible() ? &row : nullptr;
}

void RecordsetData::ResetRowState() {
  mode = EditMode::kNone;
  // Pending values own spill files: cleared, not copied.
  pending.clear();
  pending.resize(columns.size());
  chunkOffsets.assign(columns.size(), 0);
  reading.reset();
  window.reset();
}

void RecordsetData::MoveFirst() {
  position = 0;
  while (position < Size(*this) && !rows[static_cast<std::size_t>(position)].visible()) ++position;
  ResetRowState();
}

void RecordsetData::MoveLast() {
  position = Size(*this) - 1;
  while (position >= 0 && !rows[static_cast<std::size_t>(position)].visible()) --position;
  if (position < 0) position = Size(*this);  // no live row: EOF as well as BOF
  ResetRowState();
}

void RecordsetData::MoveBy(int step) {
  do {
    position += step;
  } while (position >= 0 && position < Size(*this) &&
           !rows[static_cast<std::size_t>(position)].visible());
  if (position < 0) position = -1;
  if (position > Size(*this)) position = Size(*this);
  ResetRowState();
}

Outcome RequireCurrentRow(RecordsetData& data, Row** row) {
  *row = nullptr;
  if (!data.open) return ClosedFailure();
  *row = data.current();
  return *row != nullptr ? Outcome::Ok() : NoCurrentRecordFailure();
}

}  // namespace vant::host::ado
