#include "host/ado/detail/pg_sql.h"

#include <gtest/gtest.h>

namespace vant::host::ado {
namespace {

// A '?' or ';' inside a string, a quoted name, a comment or a dollar-quoted
// body is text, not a parameter or a statement end.
TEST(PgSqlTest, NumbersPlaceholdersOutsideQuotes) {
  const std::pair<std::string, std::string> rows[] = {
      {"SELECT ? , ?", "SELECT $1 , $2"},
      {"SELECT '?''?', \"a?\", ? -- ?\n, ?", "SELECT '?''?', \"a?\", $1 -- ?\n, $2"},
      {"SELECT /* ? */ ?", "SELECT /* ? */ $1"},
      {"SELECT $$ ? $$, $tag$ ?; $tag$, ?", "SELECT $$ ? $$, $tag$ ?; $tag$, $1"},
  };
  for (const auto& [sql, expected] : rows) {
    int count = 0;
    EXPECT_EQ(NumberPgPlaceholders(sql, &count), expected) << sql;
  }
}

TEST(PgSqlTest, SplitsStatementsAtTopLevelSemicolons) {
  const auto statements =
      SplitPgStatements("INSERT INTO t VALUES (';'); ; -- x;\n SELECT $$a;b$$ ;  ");
  ASSERT_EQ(statements.size(), 2u);
  EXPECT_EQ(statements[0], "INSERT INTO t VALUES (';')");
  EXPECT_EQ(statements[1], " -- x;\n SELECT $$a;b$$ ");
}

}  // namespace
}  // namespace vant::host::ado
