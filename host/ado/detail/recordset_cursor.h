// Positions of a recordset counted the way pages count them: over the rows
// a page can see (not deleted, not hidden by a Filter), 1-based, in pages of
// PageSize rows. Pure arithmetic on RecordsetData; the Recordset object
// checks the cursor type and reports the errors.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/ado/detail/outcome.h"
#include "host/ado/detail/recordset_data.h"
#include "platform/automation/automation.h"

namespace vant::host::ado {

// AbsolutePosition/AbsolutePage answers when there is no row number.
inline constexpr std::int32_t kAdPosUnknown = -1;
inline constexpr std::int32_t kAdPosBof = -2;
inline constexpr std::int32_t kAdPosEof = -3;

// 1-based number of the current row among the visible rows; 0 at BOF,
// liveRowCount() + 1 at EOF. A deleted current row counts where it stands.
std::int64_t CurrentOrdinal(const RecordsetData& data);

// Makes visible row `ordinal` current; 0 or less gives BOF, past the last
// gives EOF. Clears the row state as every move does.
void MoveToOrdinal(RecordsetData& data, std::int64_t ordinal);

// Pages of `pageSize` rows needed for `rows` rows (the last may be short).
std::int32_t PageCount(std::size_t rows, std::int32_t pageSize);

// The page holding row `ordinal` (1-based).
std::int32_t PageOf(std::int64_t ordinal, std::int32_t pageSize);

// The first row (1-based) of page `page`.
std::int64_t FirstOfPage(std::int32_t page, std::int32_t pageSize);

// The row with bookmark `ordinal` (Row::ordinal), or -1 when no visible
// row has it.
std::ptrdiff_t FindBookmark(const RecordsetData& data, std::size_t ordinal);

// Bookmarks are row ordinals offset past adBookmarkCurrent, adBookmarkFirst
// and adBookmarkLast (0, 1, 2), so a start argument tells them apart.
inline constexpr std::int32_t kBookmarkBase = 3;
inline constexpr std::int32_t kAdBookmarkCurrent = 0;
inline constexpr std::int32_t kAdBookmarkFirst = 1;
inline constexpr std::int32_t kAdBookmarkLast = 2;

std::int32_t BookmarkOf(const Row& row);

// The visible row a bookmark value names; kBadArgument when none does.
Outcome RowOfBookmark(const RecordsetData& data, const Variant& bookmark, std::ptrdiff_t* index);

// The row a Move, Find or GetRows start argument names: the current row,
// the first or last visible row, or a bookmark's row (kNotSupported unless
// `bookmarks`, kBadArgument for anything else).
Outcome RowOfStart(const RecordsetData& data, const Variant& start, bool bookmarks,
                   std::ptrdiff_t* index);

}  // namespace vant::host::ado
