#include "host/ado/recordset_cursor.h"

#include <algorithm>

namespace vant::host::ado {

std::int64_t CurrentOrdinal(const RecordsetData& data) {
  if (data.position < 0) return 0;
  std::int64_t ordinal = 0;
  const auto end =
      std::min<std::ptrdiff_t>(data.position, static_cast<std::ptrdiff_t>(data.rows.size()));
  for (std::ptrdiff_t i = 0; i < end; ++i) {
    ordinal += data.rows[static_cast<std::size_t>(i)].visible() ? 1 : 0;
  }
  return ordinal + 1;
}

void MoveToOrdinal(RecordsetData& data, std::int64_t ordinal) {
  data.ResetRowState();
  if (ordinal <= 0) {
    data.position = -1;
    return;
  }
  std::int64_t seen = 0;
  for (std::size_t i = 0; i < data.rows.size(); ++i) {
    if (data.rows[i].visible() && ++seen == ordinal) {
      data.position = static_cast<std::ptrdiff_t>(i);
      return;
    }
  }
  data.position = static_cast<std::ptrdiff_t>(data.rows.size());
}

std::int32_t PageCount(std::size_t rows, std::int32_t pageSize) {
  if (pageSize <= 0) return 0;
  const std::size_t size = static_cast<std::size_t>(pageSize);
  return static_cast<std::int32_t>((rows + size - 1) / size);
}

std::int32_t PageOf(std::int64_t ordinal, std::int32_t pageSize) {
  if (ordinal <= 0 || pageSize <= 0) return 0;
  return static_cast<std::int32_t>((ordinal - 1) / pageSize + 1);
}

std::int64_t FirstOfPage(std::int32_t page, std::int32_t pageSize) {
  return (std::int64_t{page} - 1) * pageSize + 1;
}

std::ptrdiff_t FindBookmark(const RecordsetData& data, std::size_t ordinal) {
  for (std::size_t i = 0; i < data.rows.size(); ++i) {
    if (data.rows[i].ordinal == ordinal && data.rows[i].visible()) {
      return static_cast<std::ptrdiff_t>(i);
    }
  }
  return -1;
}

}  // namespace vant::host::ado
