#include "host/ado/database.h"

#include <gtest/gtest.h>

#include <thread>

#include "ado_test_support.h"

namespace vant::host::ado {
namespace {

using test::Call;
using test::Str;

// Two requests writing at once: the busy timeout makes the second wait for
// the first's lock instead of failing with "database is locked".
TEST(ConcurrencyTest, TwoConnectionsWriteAtOnce) {
  test::ScratchFolder folder;
  {
    auto setup = test::OpenConnection(folder);
    test::Exec(setup.get(), u"CREATE TABLE hits(writer INTEGER, n INTEGER)");
  }
  constexpr int kWrites = 40;
  HRESULT failures[2] = {S_OK, S_OK};
  auto writer = [&](int id) {
    auto connection = test::OpenConnection(folder);
    for (int i = 0; i < kWrites; ++i) {
      HRESULT hr = S_OK;
      // Half inside transactions held across several statements, half in autocommit.
      if (i % 2 == 0) Call(connection.get(), u"BeginTrans", {}, &hr);
      const std::u16string sql = u"INSERT INTO hits VALUES (" + Utf8ToUtf16(std::to_string(id)) +
                                 u", " + Utf8ToUtf16(std::to_string(i)) + u")";
      if (Succeeded(hr)) Call(connection.get(), u"Execute", {Str(sql)}, &hr);
      if (Succeeded(hr)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      if (Succeeded(hr) && i % 2 == 0) Call(connection.get(), u"CommitTrans", {}, &hr);
      if (Failed(hr)) {
        failures[id] = hr;
        return;
      }
    }
  };
  std::thread first(writer, 0);
  std::thread second(writer, 1);
  first.join();
  second.join();
  EXPECT_EQ(failures[0], S_OK);
  EXPECT_EQ(failures[1], S_OK);
  auto check = test::OpenConnection(folder);
  auto rs = test::Object(Call(check.get(), u"Execute", {Str(u"SELECT COUNT(*) FROM hits")}));
  EXPECT_EQ(test::Int(Call(rs.get(), u"", {Variant::I4(0)})), 2 * kWrites);
}

TEST(ConcurrencyTest, BusyTimeoutIsSet) {
  test::ScratchFolder folder;
  std::shared_ptr<Database> db;
  ASSERT_TRUE(Database::Open(folder.Db(), &db).ok());
  Statement stmt;
  ASSERT_TRUE(db->Prepare("PRAGMA busy_timeout", &stmt).ok());
  bool row = false;
  ASSERT_TRUE(db->Step(stmt.get(), &row).ok());
  ASSERT_TRUE(row);
  EXPECT_EQ(sqlite3_column_int(stmt.get(), 0), kBusyTimeout.count());
}

}  // namespace
}  // namespace vant::host::ado
