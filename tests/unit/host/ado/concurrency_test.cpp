#include "host/ado/detail/database.h"

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

// A page streaming a BLOB out holds a read transaction until the last chunk;
// meanwhile another request must still be able to commit. With a rollback
// journal the commit would wait for the reader and fail after the timeout.
TEST(ConcurrencyTest, WritersCommitWhileABlobIsBeingRead) {
  test::ScratchFolder folder;
  auto writer = test::OpenConnection(folder);
  test::Exec(writer.get(), u"CREATE TABLE files(data BLOB)");
  test::Exec(writer.get(), u"INSERT INTO files VALUES (zeroblob(300000))");
  test::Exec(writer.get(), u"CREATE TABLE log(n INTEGER)");

  auto reader = test::OpenConnection(folder);
  auto rs = test::Object(Call(reader.get(), u"Execute", {Str(u"SELECT data FROM files")}));
  auto field = test::Object(Call(rs.get(), u"", {Str(u"data")}));
  const Variant first = Call(field.get(), u"GetChunk", {Variant::I4(1000)});
  ASSERT_EQ(test::Bytes(first).size(), 1000u);

  const auto started = std::chrono::steady_clock::now();
  HRESULT hr = S_OK;
  Call(writer.get(), u"Execute", {Str(u"INSERT INTO log VALUES (1)")}, &hr);
  EXPECT_EQ(hr, S_OK) << "a commit while a BLOB is being read";
  Call(writer.get(), u"Execute", {Str(u"DELETE FROM files")}, &hr);
  EXPECT_EQ(hr, S_OK) << "deleting the row being read";
  EXPECT_LT(std::chrono::steady_clock::now() - started, kBusyTimeout / 2) << "the writer waited";

  // The reader still sees the value as it was when its read began.
  const Variant second = Call(field.get(), u"GetChunk", {Variant::I4(1000)});
  EXPECT_EQ(test::Bytes(second).size(), 1000u);
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
