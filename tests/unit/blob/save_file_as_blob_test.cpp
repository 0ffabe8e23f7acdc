#include <gtest/gtest.h>

#include "platform/fs/fault_injection.h"
#include "unit/blob/blob_test_env.h"

namespace vant::blob {
namespace {

using testing::BlobManagerTest;
using vant::testing::TakeReport;
using vant::testing::U8;

using SaveFileAsBlobTest = BlobManagerTest;

// Files go into the field in reads of 65,535 bytes; a read of 0 bytes ends
// the loop without an empty append.
TEST_F(SaveFileAsBlobTest, AppendsInChunksOf65535) {
  struct Row {
    std::size_t size;
    std::vector<std::uint32_t> appended;
  };
  const Row rows[] = {
      {0, {}}, {1, {1}}, {65535, {65535}}, {70000, {65535, 4465}}, {2 * 65535, {65535, 65535}},
  };
  for (const Row& row : rows) {
    const std::string content = vant::testing::Pattern(row.size, 6);
    const std::u16string path = MakeFile("in.bin", content);
    auto field = Blob("");
    EXPECT_EQ(manager_->SaveFileAsBlob(path, field.get()), S_OK) << row.size;
    EXPECT_EQ(field->appended, row.appended) << row.size;
    EXPECT_EQ(field->stored, content) << row.size;
  }
}

TEST_F(SaveFileAsBlobTest, VirtualSourceIsMapped) {
  MakeFile("in/v.bin", "virtual");
  auto field = Blob("");
  EXPECT_EQ(manager_->SaveFileAsBlob(u"/in/v.bin", field.get()), S_OK);
  EXPECT_EQ(field->stored, "virtual");
}

TEST_F(SaveFileAsBlobTest, Failures) {
  const std::u16string path = MakeFile("in.bin", "abc");
  std::filesystem::create_directories(Host("dir"));
  struct Row {
    const char* what;
    std::int32_t type;
    std::u16string path;
    bool failOpen;
    std::string report;
  };
  const Row rows[] = {
      {"integer field", 3, path, false, "59"},
      {"missing file", ado::kAdLongVarBinary, Win("none.bin"), false, "62|" + U8(Win("none.bin"))},
      {"a folder", ado::kAdLongVarBinary, Win("dir"), false, "62|" + U8(Win("dir"))},
      {"cannot open", ado::kAdLongVarBinary, path, true, "63|CBLOBManager|SaveFileAsBlob|1"},
  };
  for (const Row& row : rows) {
    auto manager = CBLOBManager::Create();
    ASSERT_EQ(manager->OnStartPage(host_.ScriptingContext().get()), S_OK);
    auto field = vant::test::FakeField::Create(row.type, "");
    if (row.failOpen) fs::FaultInjection::FailNthOpen(0, EACCES);
    EXPECT_EQ(manager->SaveFileAsBlob(row.path, field.get()), E_FAIL) << row.what;
    fs::FaultInjection::Reset();
    EXPECT_EQ(TakeReport(), row.report) << row.what;
    EXPECT_TRUE(field->appended.empty()) << row.what;
  }
  auto other = vant::test::NotAField::Create();
  EXPECT_EQ(manager_->SaveFileAsBlob(path, other.get()), E_FAIL);
  EXPECT_EQ(TakeReport(), "59");
  EXPECT_EQ(manager_->SaveFileAsBlob(Win("none.bin"), Blob("").get()), E_FAIL);
  EXPECT_EQ(TakeReport(), "<none>");
}

}  // namespace
}  // namespace vant::blob
