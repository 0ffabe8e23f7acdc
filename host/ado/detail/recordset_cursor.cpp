#include "host/ado/detail/recordset_cursor.h"

#include <algorithm>

#include "host/ado/detail/ado_error.h"

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

std::int32_t BookmarkOf(const Row& row) {
  return static_cast<std::int32_t>(row.ordinal) + kBookmarkBase;
}

Outcome RowOfBookmark(const RecordsetData& data, const Variant& value, std::ptrdiff_t* index) {
  std::int32_t bookmark = 0;
  if (Failed(VariantToI4(value.Deref(), &bookmark)) || bookmark < kBookmarkBase) {
    return BadArgumentFailure();
  }
  *index = FindBookmark(data, static_cast<std::size_t>(bookmark - kBookmarkBase));
  return *index < 0 ? BadArgumentFailure() : Outcome::Ok();
}

Outcome RowOfStart(const RecordsetData& data, const Variant& start, bool bookmarks,
                   std::ptrdiff_t* index) {
  std::int32_t number = 0;
  if (Failed(VariantToI4(start.Deref(), &number)) || number < 0) return BadArgumentFailure();
  if (number >= kBookmarkBase) {
    return bookmarks ? RowOfBookmark(data, start, index) : NoBookmarksFailure();
  }
  const auto size = static_cast<std::ptrdiff_t>(data.rows.size());
  *index = data.position;
  if (number == kAdBookmarkFirst) {
    *index = 0;
    while (*index < size && !data.rows[static_cast<std::size_t>(*index)].visible()) ++*index;
  } else if (number == kAdBookmarkLast) {
    *index = size - 1;
    while (*index >= 0 && !data.rows[static_cast<std::size_t>(*index)].visible()) --*index;
    if (*index < 0) *index = size;
  }
  return Outcome::Ok();
}

}  // namespace vant::host::ado
