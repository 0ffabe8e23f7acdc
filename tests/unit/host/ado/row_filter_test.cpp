#include "host/ado/detail/row_filter.h"

#include <gtest/gtest.h>

#include "host/ado/detail/ado_error.h"

namespace vant::host::ado {
namespace {

Cell Int(std::int64_t v) { return Cell{Cell::Kind::kInteger, v, 0, {}, {}, 0}; }
Cell Real(double v) { return Cell{Cell::Kind::kReal, 0, v, {}, {}, 0}; }
Cell Text(std::u16string v) { return Cell{Cell::Kind::kText, 0, 0, std::move(v), {}, 0}; }
Cell Null() { return Cell{}; }

// id, name, price, "my note": four rows a page might filter.
class RowFilterTest : public ::testing::Test {
 protected:
  RowFilterTest() {
    for (const char16_t* name : {u"id", u"name", u"price", u"my note"}) {
      ColumnInfo column;
      column.name = name;
      columns_.push_back(column);
    }
    AddRow(1, u"Apple", 1.5, Text(u"red"));
    AddRow(2, u"banana", 12, Null());
    AddRow(3, u"O'Neil", 30, Text(u"it's"));
    AddRow(10, u"apricot", 2.25, Text(u"10"));
  }
  void AddRow(std::int64_t id, std::u16string name, double price, Cell note) {
    Row row;
    row.cells = {Int(id), Text(std::move(name)), Real(price), std::move(note)};
    rows_.push_back(std::move(row));
  }
  // The ids the criteria keep, "1,3", or the failure status in hex.
  std::string Keep(std::u16string_view criteria) {
    Criteria parsed;
    const Outcome outcome = ParseCriteria(criteria, columns_, &parsed);
    if (!outcome.ok()) return "error " + std::to_string(static_cast<std::uint32_t>(outcome.status));
    std::string ids;
    for (const Row& row : rows_) {
      if (!Matches(parsed, row)) continue;
      ids += (ids.empty() ? "" : ",") + std::to_string(row.cells[0].integer);
    }
    return ids;
  }

  std::vector<ColumnInfo> columns_;
  std::vector<Row> rows_;
};

TEST_F(RowFilterTest, Criteria) {
  const std::string badArgument =
      "error " + std::to_string(static_cast<std::uint32_t>(kBadArgument));
  const std::string notFound = "error " + std::to_string(static_cast<std::uint32_t>(kItemNotFound));
  const std::pair<std::u16string_view, std::string> rows[] = {
      {u"id = 3", "3"},
      {u"id>2", "3,10"},
      {u"id <> 3", "1,2,10"},
      {u"id != 3", "1,2,10"},
      {u"price <= 2.25", "1,10"},
      {u"price >= '12'", "2,3"},   // a quoted number against a number column
      {u"name = 'apple'", "1"},    // letter case ignored
      {u"name = 'O''Neil'", "3"},  // a doubled quote
      {u"name < 'b'", "1,10"},
      {u"name LIKE 'ap*'", "1,10"},
      {u"name like '%an%'", "2"},
      {u"name LIKE '*t'", "10"},
      {u"name LIKE 'a*p*t'", "10"},
      {u"name LIKE '*p*p*'", "1"},  // pieces do not overlap
      {u"name LIKE 'apple'", "1"},
      {u"name LIKE 'a%%e'", "1"},
      {u"name LIKE '*'", "1,2,3,10"},
      {u"[my note] = NULL", "2"},
      {u"[my note] <> null", "1,3,10"},
      {u"[my note] > 'a'", "1,3"},  // Null satisfies no comparison
      {u"[my note] = 10", "10"},    // text holding a number
      {u"id = 1 OR id = 3 AND price > 100", "1"},
      {u"(id = 1 OR id = 3) AND price > 10", "3"},
      {u"((((id = 2))))", "2"},
      {u"id = 1 and name = 'Apple' or id = 10", "1,10"},
      {u"name = #Apple#", "1"},
      {u"id = 1.5e0", ""},
      {u"", badArgument},
      {u"id =", badArgument},
      {u"id = 'open", badArgument},
      {u"id = 1 AND", badArgument},
      {u"(id = 1", badArgument},
      {u"id = 1)", badArgument},
      {u"id ~ 1", badArgument},
      {u"id > NULL", badArgument},
      {u"id = bare", badArgument},
      {u"[my note = 1", badArgument},
      {u"missing = 1", notFound},
  };
  for (const auto& [criteria, expected] : rows) {
    EXPECT_EQ(Keep(criteria), expected) << Utf16ToUtf8(criteria);
  }
  // Nesting is bounded, so hostile criteria cannot exhaust the stack.
  const std::u16string deep = std::u16string(40, u'(') + u"id = 1" + std::u16string(40, u')');
  EXPECT_EQ(Keep(deep), badArgument);
}

TEST_F(RowFilterTest, SortKeysAndOrder) {
  struct Case {
    std::u16string_view sort;
    std::string order;  // ids in sorted order, or "error"
  };
  const Case cases[] = {
      {u"id DESC", "10,3,2,1"},        {u"name", "1,10,2,3"},  // letter case ignored
      {u"[my note] ASC", "2,10,3,1"},  // Null first, then "10" < "it's" < "red"
      {u"price desc, id", "3,2,10,1"}, {u"", "1,2,3,10"},     {u"nope", "error"},
      {u"id sideways", "error"},       {u"id,", "error"},
  };
  for (const Case& c : cases) {
    std::vector<SortKey> keys;
    if (!ParseSort(c.sort, columns_, &keys).ok()) {
      EXPECT_EQ("error", c.order) << Utf16ToUtf8(c.sort);
      continue;
    }
    std::vector<Row> sorted = rows_;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](const Row& a, const Row& b) { return CompareRows(a, b, keys) < 0; });
    std::string ids;
    for (const Row& row : sorted)
      ids += (ids.empty() ? "" : ",") + std::to_string(row.cells[0].integer);
    EXPECT_EQ(ids, c.order) << Utf16ToUtf8(c.sort);
  }
}

}  // namespace
}  // namespace vant::host::ado
