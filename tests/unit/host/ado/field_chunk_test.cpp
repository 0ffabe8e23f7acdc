#include "host/ado/detail/field_ops.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ado_test_support.h"
#include "host/ado/detail/ado_error.h"
#include "platform/ado/field.h"

namespace vant::host::ado {
namespace {

using test::Call;
using test::Exec;
using test::Object;
using test::Str;

constexpr std::int32_t kChunk = vant::ado::kBlobChunkBytes;

// Deterministic content: no two neighbouring chunks alike.
std::uint8_t PatternByte(std::size_t offset) {
  return static_cast<std::uint8_t>((offset * 131 + offset / 65536 * 7) & 0xFF);
}

std::vector<std::uint8_t> Pattern(std::size_t from, std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = PatternByte(from + i);
  return bytes;
}

ComPtr<vant::ado::IField> TypedField(IDispatch* rs, std::u16string_view name) {
  auto field = Object(Call(rs, u"", {Str(name)}));
  ComPtr<vant::ado::IField> typed;
  EXPECT_EQ(field->QueryInterface(vant::ado::IField::kIid, typed.ReceiveVoid()), S_OK);
  return typed;
}

// Appends `size` pattern bytes in pieces of `piece` (at least one call, so
// a size of 0 stores an empty value).
void AppendPattern(vant::ado::IField& field, std::size_t size, std::size_t piece) {
  std::size_t done = 0;
  do {
    const std::size_t count = std::min(piece, size - done);
    ASSERT_EQ(field.AppendChunk(test::ByteArray(Pattern(done, count))), S_OK) << "at " << done;
    done += count;
  } while (done < size);
}

// Reads the field to its end with GetChunk(piece); returns the chunk sizes
// and checks every byte against the pattern.
std::vector<std::size_t> ReadPattern(vant::ado::IField& field, std::int32_t piece) {
  std::vector<std::size_t> sizes;
  std::size_t offset = 0;
  for (;;) {
    Variant chunk;
    EXPECT_EQ(field.GetChunk(piece, &chunk), S_OK);
    if (chunk.vt() == VT_EMPTY) return sizes;
    const std::vector<std::uint8_t> bytes = test::Bytes(chunk);
    EXPECT_EQ(chunk.vt(), VT_ARRAY | VT_UI1);
    EXPECT_TRUE(bytes == Pattern(offset, bytes.size()))
        << "bytes differ in the chunk at " << offset;
    if (bytes.empty() || sizes.size() > 100000) return sizes;
    offset += bytes.size();
    sizes.push_back(bytes.size());
  }
}

class FieldChunkTest : public ::testing::Test {
 protected:
  FieldChunkTest() {
    Exec(connection_.get(),
         u"CREATE TABLE files(id INTEGER PRIMARY KEY, name TEXT NOT NULL, data BLOB)");
  }

  test::ScratchFolder folder_;
  ComPtr<IDispatch> connection_ = test::OpenConnection(folder_);
};

TEST_F(FieldChunkTest, RoundTripsByteIdentical) {
  struct Row {
    std::size_t size;
    std::size_t appendPiece;
    std::int32_t readPiece;
    std::vector<std::size_t> chunks;  // sizes GetChunk returns
  };
  const std::size_t big = 3 * 65536 + 100;
  const Row rows[] = {
      {0, 65536, kChunk, {}},
      {1, 65536, kChunk, {1}},
      {65535, 65535, kChunk, {65535}},
      {65536, 4096, kChunk, {65536}},
      {big, 65535, kChunk, {65536, 65536, 65536, 100}},
      {big, 65536, 100000, {100000, 96708}},
  };
  // Read once from a table source (BLOBs left in the database) and once
  // from a query with an expression (values loaded with the row).
  const std::u16string sources[] = {u"SELECT id, data FROM files WHERE id = ",
                                    u"SELECT id, data, 1 AS x FROM files WHERE id = "};
  int id = 0;
  for (const Row& row : rows) {
    ++id;
    auto rs = test::OpenRecordset(connection_.get(), u"files");
    Call(rs.get(), u"AddNew");
    test::Put(rs.get(), u"", {Str(u"name"), Str(u"f")});
    AppendPattern(*TypedField(rs.get(), u"data"), row.size, row.appendPiece);
    Call(rs.get(), u"Update");
    for (const std::u16string& source : sources) {
      auto read = test::OpenRecordset(connection_.get(), source + Utf8ToUtf16(std::to_string(id)));
      auto field = TypedField(read.get(), u"data");
      std::int32_t type = 0;
      std::int32_t actual = -1;
      EXPECT_EQ(field->get_Type(&type), S_OK);
      EXPECT_EQ(field->get_ActualSize(&actual), S_OK);
      EXPECT_EQ(type, vant::ado::kAdLongVarBinary);
      EXPECT_EQ(actual, static_cast<std::int32_t>(row.size)) << "size " << row.size;
      EXPECT_EQ(ReadPattern(*field, row.readPiece), row.chunks)
          << "size " << row.size << " read " << row.readPiece << " " << Utf16ToUtf8(source);
    }
  }
}

TEST_F(FieldChunkTest, FirstAppendReplacesLaterOnesAppend) {
  Exec(connection_.get(), u"INSERT INTO files(name, data) VALUES ('a', x'00010203'), ('b', NULL)");
  auto rs = test::OpenRecordset(connection_.get(), u"SELECT * FROM files ORDER BY id");
  auto field = TypedField(rs.get(), u"data");
  auto value = [&] {
    return test::Bytes(Call(Object(Call(rs.get(), u"", {Str(u"data")})).get(), u"Value"));
  };

  EXPECT_EQ(field->AppendChunk(test::ByteArray({9})), S_OK);
  EXPECT_EQ(field->AppendChunk(test::ByteArray({8, 7})), S_OK);
  EXPECT_EQ(value(), (std::vector<std::uint8_t>{9, 8, 7})) << "Value shows the pending chunks";
  Call(rs.get(), u"Update");
  EXPECT_EQ(value(), (std::vector<std::uint8_t>{9, 8, 7}));
  EXPECT_EQ(field->AppendChunk(test::ByteArray({6})), S_OK);  // first since Update: replaces
  Call(rs.get(), u"MoveNext");                                // writes the edit
  Variant chunk;
  EXPECT_EQ(field->GetChunk(10, &chunk), S_OK);
  EXPECT_TRUE(chunk.IsNull()) << "a Null value reads as Null, vt " << chunk.vt();
  Call(rs.get(), u"MoveFirst");
  EXPECT_EQ(value(), (std::vector<std::uint8_t>{6}));

  // GetChunk continues where it stopped, and starts over on a new row.
  Exec(connection_.get(), u"UPDATE files SET data = x'0102030405' WHERE name = 'a'");
  auto again = test::OpenRecordset(connection_.get(), u"files");
  auto data = TypedField(again.get(), u"data");
  const std::pair<std::int32_t, std::vector<std::uint8_t>> steps[] = {
      {2, {1, 2}}, {0, {}}, {2, {3, 4}}, {9, {5}}};
  for (const auto& [length, expected] : steps) {
    Variant got;
    EXPECT_EQ(data->GetChunk(length, &got), S_OK);
    EXPECT_EQ(test::Bytes(got), expected) << "GetChunk(" << length << ")";
  }
  Variant end;
  EXPECT_EQ(data->GetChunk(9, &end), S_OK);
  EXPECT_EQ(end.vt(), VT_EMPTY);
  Call(again.get(), u"MoveNext");
  Call(again.get(), u"MovePrevious");
  EXPECT_EQ(data->GetChunk(1, &end), S_OK);
  EXPECT_EQ(test::Bytes(end), (std::vector<std::uint8_t>{1}));
}

TEST_F(FieldChunkTest, ChunkArgumentErrors) {
  Exec(connection_.get(), u"INSERT INTO files(name, data) VALUES ('a', x'00')");
  auto rs = test::OpenRecordset(connection_.get(), u"files");
  auto data = TypedField(rs.get(), u"data");
  auto id = TypedField(rs.get(), u"id");
  Variant out;
  EXPECT_EQ(data->GetChunk(-1, &out), kBadArgument);
  EXPECT_EQ(id->GetChunk(1, &out), kBadArgument);
  EXPECT_EQ(data->AppendChunk(Str(u"text")), kBadArgument);
  EXPECT_EQ(test::TakeError().first, u"ADODB.Field");
  auto readOnly = test::OpenRecordset(connection_.get(), u"files", 1);
  EXPECT_EQ(TypedField(readOnly.get(), u"data")->AppendChunk(test::ByteArray({1})), kNotUpdatable);
}

TEST_F(FieldChunkTest, SpillFilesAreRemovedOnEveryPath) {
  Exec(connection_.get(), u"INSERT INTO files(name, data) VALUES ('a', NULL), ('b', NULL)");
  const int descriptors = vant::test::OpenDescriptorCount();
  struct Row {
    const char* path;
    void (*finish)(IDispatch* rs);
  };
  const Row rows[] = {
      {"Update", [](IDispatch* rs) { Call(rs, u"Update"); }},
      {"CancelUpdate", [](IDispatch* rs) { Call(rs, u"CancelUpdate"); }},
      {"MoveNext", [](IDispatch* rs) { Call(rs, u"MoveNext"); }},
      {"Close", [](IDispatch* rs) { Call(rs, u"Close"); }},
      {"Release", [](IDispatch*) {}},
      {"failed Update, then CancelUpdate",
       [](IDispatch* rs) {
         test::Put(rs, u"", {Str(u"name"), Variant::Null()});
         HRESULT hr = S_OK;
         Call(rs, u"Update", {}, &hr);
         EXPECT_EQ(hr, kDatabaseError);
         EXPECT_EQ(test::TakeError().second, u"NOT NULL constraint failed: files.name");
         Call(rs, u"CancelUpdate");
       }},
  };
  for (const Row& row : rows) {
    {
      auto rs = test::OpenRecordset(connection_.get(), u"files");
      auto field = TypedField(rs.get(), u"data");
      ASSERT_EQ(field->AppendChunk(test::ByteArray(Pattern(0, 1000))), S_OK);
      EXPECT_EQ(folder_.SpillFiles(), 1) << row.path << ": the chunks wait in a spill file";
      row.finish(rs.get());
    }
    EXPECT_EQ(folder_.SpillFiles(), 0) << row.path;
    EXPECT_EQ(vant::test::OpenDescriptorCount(), descriptors) << row.path;
  }
}

// The process's peak resident size in kB (VmHWM), reset first when the
// kernel allows it so the test measures its own peak.
long PeakRssKb(bool reset) {
  if (reset) std::ofstream("/proc/self/clear_refs") << "5";
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

TEST_F(FieldChunkTest, FiftyMegabytesNeverSitInMemory) {
  constexpr std::size_t kSize = 50u * 1024 * 1024;
  constexpr long kBoundKb = 20 * 1024;  // well under the 50 MB value
  const long before = PeakRssKb(true);
  ASSERT_GT(before, 0);
  {
    auto rs = test::OpenRecordset(connection_.get(), u"files");
    Call(rs.get(), u"AddNew");
    test::Put(rs.get(), u"", {Str(u"name"), Str(u"big")});
    AppendPattern(*TypedField(rs.get(), u"data"), kSize, kChunk);
    Call(rs.get(), u"Update");
  }
  auto rs = test::OpenRecordset(connection_.get(), u"SELECT * FROM files WHERE name = 'big'");
  auto field = TypedField(rs.get(), u"data");
  std::int32_t actual = 0;
  EXPECT_EQ(field->get_ActualSize(&actual), S_OK);
  EXPECT_EQ(actual, static_cast<std::int32_t>(kSize));
  const std::vector<std::size_t> chunks = ReadPattern(*field, kChunk);
  EXPECT_EQ(chunks.size(), kSize / kChunk);
#if !defined(__SANITIZE_ADDRESS__)
  // The address sanitizer keeps freed blocks in quarantine, so there peak
  // RSS measures the quarantine, not what the field holds.
  const long growth = PeakRssKb(false) - before;
  EXPECT_LT(growth, kBoundKb) << "peak RSS grew by " << growth << " kB";
#else
  (void)kBoundKb;
#endif
  EXPECT_EQ(folder_.SpillFiles(), 0);
}

}  // namespace
}  // namespace vant::host::ado
