#include "host/ado/detail/sql_text.h"

#include <gtest/gtest.h>

namespace vant::host::ado {
namespace {

TEST(SqlTextTest, TableNames) {
  const std::pair<std::string, std::string> rows[] = {
      {"files", "files"},
      {"  files ; ", "files"},
      {"[my files]", "my files"},
      {"\"a\"\"b\"", "a\"b"},
      {"`t`", "t"},
      {"SELECT * FROM files", "<none>"},
      {"files where 1", "<none>"},
      {"\"unclosed", "<none>"},
      {"", "<none>"},
  };
  for (const auto& [source, expected] : rows) {
    EXPECT_EQ(TableNameOf(source).value_or("<none>"), expected) << source;
  }
}

TEST(SqlTextTest, QuotesIdentifiers) {
  EXPECT_EQ(QuoteIdentifier("plain"), "\"plain\"");
  EXPECT_EQ(QuoteIdentifier("a\"b"), "\"a\"\"b\"");
}

TEST(SqlTextTest, FindsTopLevelKeywords) {
  struct Row {
    std::string sql;
    std::string word;
    long expected;  // -1: not found
  };
  const Row rows[] = {
      {"SELECT a FROM t", "FROM", 9},
      {"select a from t", "FROM", 9},
      {"SELECT (SELECT 1 FROM u) AS x FROM t", "FROM", 30},
      {"SELECT 'from' AS a, \"from\" FROM t", "FROM", 27},
      {"SELECT a /* from */ FROM t", "FROM", 20},
      {"SELECT a -- from\nFROM t", "FROM", 17},
      {"SELECT fromage FROM t", "FROM", 15},
      {"SELECT [from] FROM t", "FROM", 14},
      {"SELECT 1", "FROM", -1},
      {"SELECT a FROM t GROUP BY a", "GROUP", 16},
      {"SELECT a FROM (SELECT a FROM t GROUP BY a)", "GROUP", -1},
  };
  for (const Row& row : rows) {
    const auto found = FindTopLevelKeyword(row.sql, row.word);
    EXPECT_EQ(found ? static_cast<long>(*found) : -1L, row.expected) << row.sql;
  }
}

TEST(SqlTextTest, LeadingKeyword) {
  EXPECT_EQ(AfterLeadingKeyword("  select a", "SELECT").value_or(0), 8u);
  EXPECT_EQ(AfterLeadingKeyword("/* c */ SELECT a", "SELECT").value_or(0), 14u);
  EXPECT_FALSE(AfterLeadingKeyword("SELECTED", "SELECT"));
  EXPECT_FALSE(AfterLeadingKeyword("WITH x AS (SELECT 1) SELECT * FROM x", "SELECT"));
}

}  // namespace
}  // namespace vant::host::ado
