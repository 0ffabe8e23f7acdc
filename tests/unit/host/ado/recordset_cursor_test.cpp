#include "host/ado/detail/recordset_cursor.h"

#include <gtest/gtest.h>

namespace vant::host::ado {
namespace {

TEST(RecordsetCursorTest, PagingArithmetic) {
  struct Row {
    std::size_t rows;
    std::int32_t pageSize;
    std::int32_t pages;
  };
  const Row rows[] = {{0, 10, 0}, {1, 10, 1}, {10, 10, 1}, {11, 10, 2}, {23, 5, 5}, {7, 0, 0}};
  for (const Row& row : rows) {
    EXPECT_EQ(PageCount(row.rows, row.pageSize), row.pages) << row.rows << "/" << row.pageSize;
  }
  EXPECT_EQ(PageOf(1, 5), 1);
  EXPECT_EQ(PageOf(5, 5), 1);
  EXPECT_EQ(PageOf(6, 5), 2);
  EXPECT_EQ(PageOf(0, 5), 0);
  EXPECT_EQ(FirstOfPage(3, 5), 11);
  // Large pages cannot overflow the row number.
  EXPECT_EQ(FirstOfPage(3, 2147483647), 4294967295);
}

// Row numbers count only the rows a page sees: deleted and filtered rows
// are skipped, and the current deleted row keeps its place.
TEST(RecordsetCursorTest, OrdinalsSkipHiddenRows) {
  RecordsetData data;
  data.rows.resize(6);
  for (std::size_t i = 0; i < data.rows.size(); ++i) data.rows[i].ordinal = i;
  data.rows[1].deleted = true;
  data.rows[3].filtered = true;

  MoveToOrdinal(data, 3);
  EXPECT_EQ(data.position, 4);
  EXPECT_EQ(CurrentOrdinal(data), 3);
  MoveToOrdinal(data, 0);
  EXPECT_EQ(data.position, -1);
  EXPECT_EQ(CurrentOrdinal(data), 0);
  MoveToOrdinal(data, 5);
  EXPECT_EQ(data.position, 6) << "past the four visible rows: EOF";
  EXPECT_EQ(CurrentOrdinal(data), 5);
  data.position = 1;  // the deleted row, still current
  EXPECT_EQ(CurrentOrdinal(data), 2);

  EXPECT_EQ(FindBookmark(data, 4), 4);
  EXPECT_EQ(FindBookmark(data, 3), -1) << "a filtered row has no usable bookmark";
  EXPECT_EQ(FindBookmark(data, 99), -1);
}

}  // namespace
}  // namespace vant::host::ado
