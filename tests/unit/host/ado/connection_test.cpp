#include "host/ado/ado_objects.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "ado_test_support.h"
#include "host/ado/detail/ado_error.h"

namespace vant::host::ado {
namespace {

using test::Call;
using test::Exec;
using test::Int;
using test::OpenConnection;
using test::Str;
using test::TakeError;
using test::Text;

std::int32_t Count(IDispatch* connection, std::u16string_view table) {
  auto rs = test::Object(
      Call(connection, u"Execute", {Str(u"SELECT COUNT(*) FROM " + std::u16string(table))}));
  return Int(Call(rs.get(), u"", {Variant::I4(0)}));
}

TEST(AdoObjectsTest, ProgIds) {
  const std::pair<std::u16string_view, std::u16string_view> rows[] = {
      {u"ADODB.Connection", u"Connection"},
      {u"adodb.connection", u"Connection"},
      {u"ADODB.Connection.6.0", u"Connection"},
      {u"ADODB.Recordset", u"Recordset"},
      {u"ADODB.RECORDSET.1", u"Recordset"},
      {u"ADODB.Recordset.x", u""},
      {u"ADODB.Command", u"Command"},
      {u"ADODB.Commands", u""},
      {u"ADODB.Connections", u""},
      {u"ADODB.Connection.", u""},
      {u"VANT.FileUpload", u""},
  };
  for (const auto& [progId, expected] : rows) {
    const ComPtr<IDispatch> object = CreateAdoObject(progId);
    std::u16string got;
    if (object) {
      const InterfaceInfo* info = nullptr;
      ASSERT_EQ(object->GetTypeInfo(&info), S_OK);
      got = info->name;
    }
    EXPECT_EQ(got, expected) << Utf16ToUtf8(progId);
  }
}

TEST(ConnectionTest, OpenCreatesTheFileAndReportsState) {
  test::ScratchFolder folder;
  ComPtr<IDispatch> connection = CreateAdoObject(u"ADODB.Connection");
  EXPECT_EQ(Int(Call(connection.get(), u"State")), 0);
  EXPECT_EQ(test::Put(connection.get(), u"ConnectionString", {Str(folder.ConnectionString())}),
            S_OK);
  Call(connection.get(), u"Open");
  EXPECT_EQ(Int(Call(connection.get(), u"State")), 1);
  EXPECT_TRUE(std::filesystem::exists(folder.Db()));
  EXPECT_EQ(Text(Call(connection.get(), u"ConnectionString")),
            Utf16ToUtf8(folder.ConnectionString()));

  HRESULT hr = S_OK;
  Call(connection.get(), u"Open", {Str(folder.ConnectionString())}, &hr);
  EXPECT_EQ(hr, kObjectOpen);
  Call(connection.get(), u"Close");
  EXPECT_EQ(Int(Call(connection.get(), u"State")), 0);
  Call(connection.get(), u"Execute", {Str(u"SELECT 1")}, &hr);
  EXPECT_EQ(hr, kObjectClosed);
  EXPECT_EQ(TakeError().first, u"ADODB.Connection");
}

TEST(ConnectionTest, OpenFailures) {
  test::ScratchFolder folder;
  const std::u16string missingFolder =
      u"Data Source=" + Utf8ToUtf16((folder.root() / "no" / "such" / "x.db").string());
  const std::u16string rows[] = {u"Provider=SQLite", u"Data Source=relative.db", missingFolder};
  for (const std::u16string& text : rows) {
    ComPtr<IDispatch> connection = CreateAdoObject(u"ADODB.Connection");
    HRESULT hr = S_OK;
    Call(connection.get(), u"Open", {Str(text)}, &hr);
    EXPECT_TRUE(Failed(hr)) << Utf16ToUtf8(text);
    const auto [source, description] = TakeError();
    EXPECT_EQ(source, u"ADODB.Connection") << Utf16ToUtf8(text);
    EXPECT_FALSE(description.empty()) << Utf16ToUtf8(text);
    EXPECT_EQ(Int(Call(connection.get(), u"State")), 0);
  }
}

TEST(ConnectionTest, VirtualPathGoesThroughMapPath) {
  test::ScratchFolder folder;
  std::u16string asked;
  const std::string root = folder.root().string();
  ComPtr<IAdoConnection> connection =
      MakeConnection([&](std::u16string_view path) -> std::optional<std::u16string> {
        asked = path;
        return u"C:" + Utf8ToUtf16(root) + u"\\data.db";
      });
  Call(connection.get(), u"Open", {Str(u"Provider=SQLite;Data Source=/db/data.db")});
  EXPECT_EQ(asked, u"/db/data.db");
  EXPECT_TRUE(std::filesystem::exists(folder.root() / "data.db"));
}

TEST(ConnectionTest, ExecuteRunsDdlAndDmlAndCountsRows) {
  test::ScratchFolder folder;
  auto connection = OpenConnection(folder);
  Exec(connection.get(),
       u"CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT); "
       u"INSERT INTO t(name) VALUES ('a'), ('b'), ('c')");
  // RecordsAffected is an [out] argument, reachable from typed callers.
  ComPtr<IAdoConnection> typed;
  ASSERT_EQ(connection->QueryInterface(IAdoConnection::kIid, typed.ReceiveVoid()), S_OK);
  Variant affected = Variant::I4(-1);
  IDispatch* raw = nullptr;
  ASSERT_EQ(typed->Execute(Bstr(u"UPDATE t SET name = name || 'x' WHERE id >= 2"),
                           Variant::ByRef(&affected), -1, &raw),
            S_OK);
  auto result = ComPtr<IDispatch>::Attach(raw);
  EXPECT_EQ(Int(affected), 2);
  EXPECT_EQ(Int(Call(result.get(), u"State")), 0) << "a statement gives a closed recordset";
  EXPECT_EQ(Count(connection.get(), u"t"), 3);

  auto rows =
      test::Object(Call(connection.get(), u"Execute", {Str(u"SELECT name FROM t ORDER BY id")}));
  std::vector<std::string> names;
  while (!test::Flag(rows.get(), u"EOF")) {
    names.push_back(Text(Call(rows.get(), u"", {Str(u"NAME")})));
    Call(rows.get(), u"MoveNext");
  }
  EXPECT_EQ(names, (std::vector<std::string>{"a", "bx", "cx"}));
  HRESULT hr = S_OK;
  Call(rows.get(), u"AddNew", {}, &hr);
  EXPECT_EQ(hr, kNotUpdatable) << "Execute's rows are read-only";
}

TEST(ConnectionTest, SqlErrorsCarrySqliteMessage) {
  test::ScratchFolder folder;
  auto connection = OpenConnection(folder);
  Exec(connection.get(), u"CREATE TABLE t(id INTEGER PRIMARY KEY, v TEXT NOT NULL UNIQUE)");
  Exec(connection.get(), u"INSERT INTO t(v) VALUES ('x')");
  struct Row {
    std::u16string sql;
    std::u16string message;
  };
  const Row rows[] = {
      {u"SELEC 1", u"near \"SELEC\": syntax error"},
      {u"SELECT * FROM missing", u"no such table: missing"},
      {u"INSERT INTO t(v) VALUES (NULL)", u"NOT NULL constraint failed: t.v"},
      {u"INSERT INTO t(v) VALUES ('x')", u"UNIQUE constraint failed: t.v"},
      {u"INSERT INTO t(v) VALUES ('y'); SELECT nope FROM t", u"no such column: nope"},
  };
  for (const Row& row : rows) {
    HRESULT hr = S_OK;
    Call(connection.get(), u"Execute", {Str(row.sql)}, &hr);
    EXPECT_EQ(hr, kDatabaseError) << Utf16ToUtf8(row.sql);
    const auto [source, description] = TakeError();
    EXPECT_EQ(source, u"ADODB.Connection");
    EXPECT_EQ(description, row.message) << Utf16ToUtf8(row.sql);
  }
  // Statements before the failing one stay done.
  EXPECT_EQ(Count(connection.get(), u"t"), 2);
}

TEST(ConnectionTest, TransactionsCommitAndRollBack) {
  test::ScratchFolder folder;
  auto connection = OpenConnection(folder);
  Exec(connection.get(), u"CREATE TABLE t(v INTEGER)");

  EXPECT_EQ(Int(Call(connection.get(), u"BeginTrans")), 1);
  Exec(connection.get(), u"INSERT INTO t VALUES (1)");
  Call(connection.get(), u"CommitTrans");
  EXPECT_EQ(Count(connection.get(), u"t"), 1);

  Call(connection.get(), u"BeginTrans");
  Exec(connection.get(), u"INSERT INTO t VALUES (2)");
  EXPECT_EQ(Int(Call(connection.get(), u"BeginTrans")), 2);
  Exec(connection.get(), u"INSERT INTO t VALUES (3)");
  Call(connection.get(), u"RollbackTrans");  // undoes 3 only
  EXPECT_EQ(Count(connection.get(), u"t"), 2);
  Call(connection.get(), u"RollbackTrans");  // undoes 2
  EXPECT_EQ(Count(connection.get(), u"t"), 1);

  HRESULT hr = S_OK;
  Call(connection.get(), u"CommitTrans", {}, &hr);
  EXPECT_TRUE(Failed(hr));
  EXPECT_EQ(TakeError().second, u"No transaction is active.");

  // A second connection sees only committed rows.
  Call(connection.get(), u"BeginTrans");
  Exec(connection.get(), u"INSERT INTO t VALUES (4)");
  auto other = OpenConnection(folder);
  EXPECT_EQ(Count(other.get(), u"t"), 1);
  Call(connection.get(), u"CommitTrans");
  EXPECT_EQ(Count(other.get(), u"t"), 2);
}

}  // namespace
}  // namespace vant::host::ado
