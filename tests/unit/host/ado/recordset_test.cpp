#include "host/ado/ado_objects.h"

#include <gtest/gtest.h>

#include "ado_test_support.h"
#include "host/ado/detail/ado_error.h"
#include "platform/ado/field.h"

namespace vant::host::ado {
namespace {

using test::Call;
using test::Exec;
using test::Flag;
using test::Int;
using test::Object;
using test::Str;
using test::Text;

class RecordsetTest : public ::testing::Test {
 protected:
  RecordsetTest() {
    Exec(connection_.get(),
         u"CREATE TABLE items(id INTEGER PRIMARY KEY, name VARCHAR(40) DEFAULT 'unnamed', "
         u"note TEXT, big BIGINT, price REAL, data BLOB, misc);"
         u"INSERT INTO items(name, note, big, price, data, misc) VALUES "
         u"('one', 'first', 5000000000, 1.5, x'000102', 7),"
         u"('two', NULL, -1, 2.25, x'', 'text in untyped'),"
         u"('three', 'third', 3, NULL, NULL, NULL)");
  }

  std::vector<std::string> Names(IDispatch* rs) {
    std::vector<std::string> names;
    Call(rs, u"MoveFirst");
    while (!Flag(rs, u"EOF")) {
      names.push_back(Text(Call(rs, u"", {Str(u"name")})));
      Call(rs, u"MoveNext");
    }
    return names;
  }

  std::vector<std::string> TableNames() {
    auto rs = test::OpenRecordset(connection_.get(), u"SELECT name FROM items ORDER BY id", 1);
    return Names(rs.get());
  }

  test::ScratchFolder folder_;
  ComPtr<IDispatch> connection_ = test::OpenConnection(folder_);
};

TEST_F(RecordsetTest, FieldTypesValuesAndSizes) {
  auto rs = test::OpenRecordset(connection_.get(), u"items");
  struct Row {
    std::u16string field;
    std::int32_t type;
    std::int32_t definedSize;
    std::string value;  // as text; "<null>" for Null
    std::int32_t actualSize;
  };
  const Row rows[] = {
      {u"id", 3, 4, "1", 4},
      {u"name", 202, 40, "one", 3},
      {u"note", 203, kLongTextDefinedSize, "first", 5},
      {u"big", 20, 8, "5000000000", 8},
      {u"price", 5, 8, "1.5", 8},
      {u"data", 205, kLongBinaryDefinedSize, "<3 bytes>", 3},
      {u"misc", 205, kLongBinaryDefinedSize, "7", 8},
  };
  for (const Row& row : rows) {
    auto field = Object(Call(rs.get(), u"", {Str(row.field)}));
    EXPECT_EQ(Int(Call(field.get(), u"Type")), row.type) << Utf16ToUtf8(row.field);
    EXPECT_EQ(Int(Call(field.get(), u"DefinedSize")), row.definedSize) << Utf16ToUtf8(row.field);
    EXPECT_EQ(Int(Call(field.get(), u"ActualSize")), row.actualSize) << Utf16ToUtf8(row.field);
    const Variant value = Call(field.get(), u"Value");
    const std::string text = value.IsNull() ? "<null>"
                             : (value.vt() & VT_ARRAY) != 0
                                 ? "<" + std::to_string(test::Bytes(value).size()) + " bytes>"
                                 : Text(value);
    EXPECT_EQ(text, row.value) << Utf16ToUtf8(row.field);
    EXPECT_EQ(Text(Call(field.get(), u"Name")), Utf16ToUtf8(row.field));
  }
  const Variant data = Call(rs.get(), u"", {Str(u"DATA")});
  EXPECT_EQ(test::Bytes(Call(Object(data).get(), u"Value")), (std::vector<std::uint8_t>{0, 1, 2}));
}

TEST_F(RecordsetTest, NullsEmptyBlobsAndExpressionColumns) {
  auto rs =
      test::OpenRecordset(connection_.get(),
                          u"SELECT name, note, data, length(name) AS len, price * 2 AS twice, "
                          u"upper(name) AS up FROM items ORDER BY id");
  Call(rs.get(), u"MoveNext");  // 'two': note NULL, data x''
  EXPECT_TRUE(Call(rs.get(), u"", {Str(u"note")}).vt() == VT_DISPATCH);
  EXPECT_TRUE(Call(Object(Call(rs.get(), u"", {Str(u"note")})).get(), u"Value").IsNull());
  auto data = Object(Call(rs.get(), u"", {Str(u"data")}));
  EXPECT_EQ(Int(Call(data.get(), u"ActualSize")), 0);
  EXPECT_EQ(test::Bytes(Call(data.get(), u"Value")).size(), 0u);
  struct Row {
    std::u16string field;
    std::int32_t type;
    std::string value;
  };
  const Row rows[] = {{u"len", 20, "3"}, {u"twice", 5, "4.5"}, {u"up", 203, "TWO"}};
  for (const Row& row : rows) {
    auto field = Object(Call(rs.get(), u"", {Str(row.field)}));
    EXPECT_EQ(Int(Call(field.get(), u"Type")), row.type) << Utf16ToUtf8(row.field);
    EXPECT_EQ(Text(Call(field.get(), u"Value")), row.value) << Utf16ToUtf8(row.field);
  }
  EXPECT_EQ(test::Put(rs.get(), u"", {Str(u"len"), Variant::I4(1)}), kNotUpdatable);
}

TEST_F(RecordsetTest, MovingAndEndFlags) {
  auto rs = test::OpenRecordset(connection_.get(), u"SELECT * FROM items ORDER BY id");
  EXPECT_EQ(Int(Call(rs.get(), u"RecordCount")), 3);
  EXPECT_FALSE(Flag(rs.get(), u"BOF"));
  EXPECT_FALSE(Flag(rs.get(), u"EOF"));
  Call(rs.get(), u"MoveLast");
  EXPECT_EQ(Text(Call(rs.get(), u"", {Str(u"name")})), "three");
  Call(rs.get(), u"MoveNext");
  EXPECT_TRUE(Flag(rs.get(), u"EOF"));
  HRESULT hr = S_OK;
  Call(rs.get(), u"MoveNext", {}, &hr);
  EXPECT_EQ(hr, kNoCurrentRecord);
  auto name = Object(Call(rs.get(), u"", {Str(u"name")}));
  Call(name.get(), u"Value", {}, &hr);
  EXPECT_EQ(hr, kNoCurrentRecord) << "no field value at EOF";
  EXPECT_EQ(test::TakeError().first, u"ADODB.Field");
  Call(rs.get(), u"MoveFirst");
  Call(rs.get(), u"MovePrevious");
  EXPECT_TRUE(Flag(rs.get(), u"BOF"));
  EXPECT_FALSE(Flag(rs.get(), u"EOF"));
  Call(rs.get(), u"MovePrevious", {}, &hr);
  EXPECT_EQ(hr, kNoCurrentRecord);
  Call(rs.get(), u"MoveNext");
  EXPECT_EQ(Text(Call(rs.get(), u"", {Str(u"name")})), "one");

  auto none = test::OpenRecordset(connection_.get(), u"SELECT * FROM items WHERE id > 99");
  EXPECT_TRUE(Flag(none.get(), u"BOF"));
  EXPECT_TRUE(Flag(none.get(), u"EOF"));
  EXPECT_EQ(Int(Call(none.get(), u"RecordCount")), 0);
}

TEST_F(RecordsetTest, FieldsByNameIndexAndEnumeration) {
  auto rs =
      test::OpenRecordset(connection_.get(), u"SELECT id, name, price FROM items ORDER BY id");
  auto fields = Object(Call(rs.get(), u"Fields"));
  EXPECT_EQ(Int(Call(fields.get(), u"Count")), 3);
  const std::pair<Variant, std::string> rows[] = {
      {Str(u"name"), "name"},    {Str(u"NAME"), "name"},     {Variant::I4(0), "id"},
      {Variant::I2(2), "price"}, {Variant::R8(1.0), "name"},
  };
  for (const auto& [index, expected] : rows) {
    auto field = Object(Call(fields.get(), u"Item", {index}));
    EXPECT_EQ(Text(Call(field.get(), u"Name")), expected) << Text(index);
  }
  // Text is always a name, even when it looks like a number.
  for (const Variant& bad : {Str(u"nope"), Str(u"1"), Variant::I4(3), Variant::I4(-1)}) {
    HRESULT hr = S_OK;
    Call(fields.get(), u"Item", {bad}, &hr);
    EXPECT_EQ(hr, kItemNotFound) << Text(bad);
  }
  ComPtr<IEnumVARIANT> items;
  const Variant enumerator = Call(fields.get(), u"_NewEnum");
  ASSERT_EQ(enumerator.unknown()->QueryInterface(IID_IEnumVARIANT, items.ReceiveVoid()), S_OK);
  std::vector<std::string> names;
  Variant item;
  std::uint32_t fetched = 0;
  while (items->Next(1, &item, &fetched) == S_OK) {
    names.push_back(Text(Call(item.dispatch(), u"Name")));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"id", "name", "price"}));
}

TEST_F(RecordsetTest, FieldAnswersTheComponentInterface) {
  auto rs = test::OpenRecordset(connection_.get(), u"items");
  auto field = Object(Call(rs.get(), u"", {Str(u"data")}));
  ComPtr<vant::ado::IField> typed;
  ASSERT_EQ(field->QueryInterface(vant::ado::IField::kIid, typed.ReceiveVoid()), S_OK);
  std::int32_t type = 0;
  std::int32_t size = 0;
  EXPECT_EQ(typed->get_Type(&type), S_OK);
  EXPECT_EQ(typed->get_ActualSize(&size), S_OK);
  EXPECT_EQ(type, vant::ado::kAdLongVarBinary);
  EXPECT_EQ(size, 3);
}

TEST_F(RecordsetTest, AddNewAndUpdate) {
  auto rs = test::OpenRecordset(connection_.get(), u"SELECT * FROM items WHERE id > 1");
  Call(rs.get(), u"AddNew");
  EXPECT_EQ(test::Put(rs.get(), u"", {Str(u"note"), Str(u"added")}), S_OK);  // rs("note") = v
  auto price = Object(Call(rs.get(), u"", {Str(u"price")}));
  EXPECT_EQ(test::Put(price.get(), u"Value", {Variant::R8(9.5)}), S_OK);
  Call(rs.get(), u"Update");
  EXPECT_EQ(Text(Call(rs.get(), u"", {Str(u"name")})), "unnamed")
      << "the default shows after Update";
  EXPECT_EQ(Int(Call(rs.get(), u"", {Str(u"id")})), 4);
  EXPECT_EQ(Int(Call(rs.get(), u"RecordCount")), 3);

  // Editing an existing row; moving away writes the change as ADO does.
  Call(rs.get(), u"MoveFirst");
  EXPECT_EQ(test::Put(rs.get(), u"Fields", {Str(u"name"), Str(u"TWO")}), S_OK);
  Call(rs.get(), u"MoveNext");
  // AddNew with a field list and values writes at once.
  Call(rs.get(), u"AddNew", {Str(u"name"), Str(u"five")});
  EXPECT_EQ(TableNames(), (std::vector<std::string>{"one", "TWO", "three", "unnamed", "five"}));

  // A failing Update keeps the edit and reports SQLite's message.
  Exec(connection_.get(), u"CREATE UNIQUE INDEX names ON items(name)");
  Call(rs.get(), u"AddNew");
  test::Put(rs.get(), u"", {Str(u"name"), Str(u"one")});
  HRESULT hr = S_OK;
  Call(rs.get(), u"Update", {}, &hr);
  EXPECT_EQ(hr, kDatabaseError);
  EXPECT_EQ(test::TakeError(), (std::pair<std::u16string, std::u16string>{
                                   u"ADODB.Recordset", u"UNIQUE constraint failed: items.name"}));
  Call(rs.get(), u"CancelUpdate");
  EXPECT_EQ(Int(Call(rs.get(), u"RecordCount")), 4);
  EXPECT_EQ(TableNames().size(), 5u);
}

TEST_F(RecordsetTest, DeleteMarksTheRowAndMovesOn) {
  auto rs = test::OpenRecordset(connection_.get(), u"items");
  while (!Flag(rs.get(), u"EOF")) {
    if (Text(Call(rs.get(), u"", {Str(u"name")})) != "two") Call(rs.get(), u"Delete");
    Call(rs.get(), u"MoveNext");
  }
  EXPECT_EQ(Int(Call(rs.get(), u"RecordCount")), 1);
  EXPECT_EQ(TableNames(), (std::vector<std::string>{"two"}));
  EXPECT_EQ(Names(rs.get()), (std::vector<std::string>{"two"}));
}

TEST_F(RecordsetTest, WhichSourcesCanBeUpdated) {
  Exec(connection_.get(), u"CREATE TABLE tags(item INTEGER, tag TEXT)");
  Exec(connection_.get(), u"CREATE TABLE keyed(k TEXT PRIMARY KEY, v TEXT) WITHOUT ROWID");
  Exec(connection_.get(), u"INSERT INTO tags VALUES (1, 'x'); INSERT INTO keyed VALUES ('a', 'b')");
  struct Row {
    std::u16string source;
    std::int32_t lockType;
    std::u16string field;
    bool updatable;
  };
  const Row rows[] = {
      {u"items", 3, u"name", true},
      {u"[items]", 3, u"name", true},
      {u"SELECT name FROM items WHERE id = 1", 3, u"name", true},
      {u"select name as n from items where n = 'one'", 3, u"n", true},
      {u"SELECT name, rowid FROM items", 3, u"name", true},
      {u"SELECT name, data FROM items WHERE data IS NOT NULL", 3, u"name", true},
      {u"SELECT name FROM items", 1, u"name", false},  // adLockReadOnly
      {u"SELECT name FROM items JOIN tags ON tags.item = items.id", 3, u"name", false},
      {u"SELECT name FROM (SELECT name FROM items)", 3, u"name", false},
      {u"SELECT name FROM items GROUP BY name", 3, u"name", false},
      {u"SELECT DISTINCT name FROM items", 3, u"name", false},
      {u"SELECT name FROM items UNION SELECT tag FROM tags", 3, u"name", false},
      {u"keyed", 3, u"v", false},
  };
  for (const Row& row : rows) {
    auto rs = test::OpenRecordset(connection_.get(), row.source, row.lockType);
    HRESULT hr = test::Put(rs.get(), u"", {Str(row.field), Str(u"changed")});
    if (Succeeded(hr)) {
      Call(rs.get(), u"Update", {}, &hr);
      Call(rs.get(), u"CancelUpdate");
    }
    EXPECT_EQ(Succeeded(hr), row.updatable) << Utf16ToUtf8(row.source) << " hr " << std::hex << hr;
    test::TakeError();
    Exec(connection_.get(), u"UPDATE items SET name = 'one' WHERE id = 1");
  }
}

TEST_F(RecordsetTest, OpenWithConnectionStringAndClose) {
  auto rs = CreateAdoObject(u"ADODB.Recordset");
  EXPECT_EQ(Int(Call(rs.get(), u"State")), 0);
  Call(rs.get(), u"Open", {Str(u"items"), Str(folder_.ConnectionString())});
  EXPECT_EQ(Int(Call(rs.get(), u"State")), 1);
  EXPECT_EQ(Text(Call(rs.get(), u"Source")), "items");
  auto field = Object(Call(rs.get(), u"", {Str(u"name")}));
  Call(rs.get(), u"Close");
  EXPECT_EQ(Int(Call(rs.get(), u"State")), 0);
  HRESULT hr = S_OK;
  Call(field.get(), u"Value", {}, &hr);
  EXPECT_EQ(hr, kObjectClosed) << "a field of a closed recordset";
  Call(rs.get(), u"Close", {}, &hr);
  EXPECT_EQ(hr, kObjectClosed);
  Call(rs.get(), u"Open", {Str(u"SELECT * FROM nowhere"), Str(folder_.ConnectionString())}, &hr);
  EXPECT_EQ(hr, kDatabaseError);
  EXPECT_EQ(test::TakeError().second, u"no such table: nowhere");
}

TEST_F(RecordsetTest, ClosedConnectionFailsLaterReads) {
  auto rs = test::OpenRecordset(connection_.get(), u"items");
  auto data = Object(Call(rs.get(), u"", {Str(u"data")}));
  Call(connection_.get(), u"Close");
  HRESULT hr = S_OK;
  Call(data.get(), u"GetChunk", {Variant::I4(10)}, &hr);
  EXPECT_EQ(hr, kObjectClosed);
  EXPECT_EQ(Text(Call(rs.get(), u"", {Str(u"name")})), "one") << "loaded values stay readable";
}

}  // namespace
}  // namespace vant::host::ado
