#include <gtest/gtest.h>

#include "platform/fs/fault_injection.h"
#include "unit/blob/blob_test_env.h"

namespace vant::blob {
namespace {

using testing::BlobManagerTest;
using vant::testing::ReadHostFile;
using vant::testing::TakeReport;
using vant::testing::U8;
using Names = std::vector<std::string>;

using SaveBlobAsFileTest = BlobManagerTest;

// The value arrives in GetChunk requests of at most 65,536 bytes and the
// target holds exactly the value afterwards, whatever was there before.
TEST_F(SaveBlobAsFileTest, WritesExactlyTheValue) {
  struct Row {
    std::size_t size;
    std::vector<std::int32_t> requests;
  };
  const Row rows[] = {
      {0, {}},
      {65536, {65536}},
      {3 * 65536 + 100, {65536, 65536, 65536, 100}},
  };
  for (const Row& row : rows) {
    MakeFile("out/a.bin", vant::testing::Pattern(400000, 77));  // longer than any value
    const std::string value = vant::testing::Pattern(row.size, 4);
    auto field = Blob(value);
    Bstr written;
    EXPECT_EQ(manager_->SaveBlobAsFile(field.get(), Win("out/a.bin"), VARIANT_TRUE, &written),
              S_OK);
    EXPECT_EQ(written, Bstr(Win("out/a.bin")));
    EXPECT_EQ(field->requests, row.requests) << row.size;
    EXPECT_EQ(ReadHostFile(Host("out/a.bin")), value) << row.size;
    EXPECT_EQ(List("out"), Names{"a.bin"}) << row.size;
  }
}

TEST_F(SaveBlobAsFileTest, WithoutOverwriteTakesTheNextFreeName) {
  MakeFile("out/photo.jpg", "old");
  const std::string expected[] = {"photo(0).jpg", "photo(1).jpg"};
  for (const std::string& name : expected) {
    Bstr written;
    auto field = Blob("new " + name);
    EXPECT_EQ(manager_->SaveBlobAsFile(field.get(), Win("out/photo.jpg"), VARIANT_FALSE, &written),
              S_OK);
    EXPECT_EQ(written, Bstr(Win("out/" + name)));
    EXPECT_EQ(ReadHostFile(Host("out/" + name)), "new " + name);
  }
  EXPECT_EQ(ReadHostFile(Host("out/photo.jpg")), "old");
}

TEST_F(SaveBlobAsFileTest, VirtualTargetIsMapped) {
  Bstr written;
  auto field = Blob("v");
  EXPECT_EQ(manager_->SaveBlobAsFile(field.get(), u"/out/v.bin", VARIANT_TRUE, &written), S_OK);
  EXPECT_EQ(written, Bstr(Win("out\\v.bin")));
  EXPECT_EQ(ReadHostFile(Host("out/v.bin")), "v");
}

// Failures before anything is written: what is reported, and that no file
// appears.
TEST_F(SaveBlobAsFileTest, RefusedTargetsAndFields) {
  struct Row {
    const char* what;
    std::int32_t type;
    std::u16string path;
    std::string report;
  };
  const Row rows[] = {
      {"integer field", 3, Win("out/a.bin"), "59"},
      {"empty path", ado::kAdLongVarBinary, u"", "60"},
      {"no backslash", ado::kAdLongVarBinary, u"a.bin", "56|a.bin"},
      {"missing folder", ado::kAdLongVarBinary, Win("none/a.bin"), "58|" + U8(Win("none"))},
  };
  for (const Row& row : rows) {
    auto manager = CBLOBManager::Create();
    ASSERT_EQ(manager->OnStartPage(host_.ScriptingContext().get()), S_OK);
    auto field = vant::test::FakeField::Create(row.type, "abc");
    Bstr written;
    EXPECT_EQ(manager->SaveBlobAsFile(field.get(), row.path, VARIANT_TRUE, &written), E_FAIL)
        << row.what;
    EXPECT_EQ(TakeReport(), row.report) << row.what;
    EXPECT_TRUE(field->requests.empty()) << row.what;
  }
  EXPECT_TRUE(List("out").empty());
  EXPECT_EQ(manager_->SaveBlobAsFile(Blob("x").get(), Win("out/a"), VARIANT_TRUE, nullptr),
            E_POINTER);
}

// A client gone at chunk k, a write failing at write k, or a failing field
// read: the call fails, no partial target or temporary file is left, and
// an existing target keeps its old content.
TEST_F(SaveBlobAsFileTest, FailuresLeaveNoPartialTarget) {
  const std::string value = vant::testing::Pattern(3 * 65536 + 100, 8);
  enum class Fault { kClientGone, kWrite, kRead, kOpen };
  struct Row {
    Fault fault;
    int k;
    std::string report;
  };
  const Row rows[] = {
      {Fault::kClientGone, 0, "61"},
      {Fault::kClientGone, 3, "61"},
      {Fault::kWrite, 0, "63|CBLOBManager|SaveBlobAsFile|2"},
      {Fault::kWrite, 3, "63|CBLOBManager|SaveBlobAsFile|2"},
      {Fault::kRead, 2, "<none>"},
      {Fault::kOpen, 0, "63|CBLOBManager|SaveBlobAsFile|1"},
  };
  for (const bool existing : {false, true}) {
    for (const Row& row : rows) {
      std::filesystem::remove_all(Host("out"));
      if (existing) MakeFile("out/a.bin", "old content");
      std::filesystem::create_directories(Host("out"));
      test::FakeHost host;
      auto manager = CBLOBManager::Create();
      ASSERT_EQ(manager->OnStartPage(host.ScriptingContext().get()), S_OK);
      auto field = Blob(value);
      if (row.fault == Fault::kClientGone) host.DisconnectFrom(row.k);
      if (row.fault == Fault::kWrite) fs::FaultInjection::FailNthWrite(row.k, ENOSPC);
      if (row.fault == Fault::kRead) field->failChunkAt = row.k;
      if (row.fault == Fault::kOpen) fs::FaultInjection::FailNthOpen(row.k, EACCES);
      Bstr written;
      EXPECT_EQ(manager->SaveBlobAsFile(field.get(), Win("out/a.bin"), VARIANT_TRUE, &written),
                E_FAIL)
          << row.report << " k=" << row.k;
      fs::FaultInjection::Reset();
      EXPECT_EQ(TakeReport(), row.report) << row.k;
      EXPECT_EQ(List("out"), existing ? Names{"a.bin"} : Names{}) << row.report << " " << row.k;
      if (existing) {
        EXPECT_EQ(ReadHostFile(Host("out/a.bin")), "old content");
      }
    }
  }
}

TEST_F(SaveBlobAsFileTest, FirstErrorOnlyButFolderChecksAlwaysReport) {
  Bstr written;
  EXPECT_EQ(manager_->SaveBlobAsFile(Blob("x").get(), u"", VARIANT_TRUE, &written), E_FAIL);
  EXPECT_EQ(TakeReport(), "60");
  auto integer = vant::test::FakeField::Create(3, "x");
  EXPECT_EQ(manager_->SaveBlobAsFile(integer.get(), Win("out/a"), VARIANT_TRUE, &written), E_FAIL);
  EXPECT_EQ(TakeReport(), "<none>");
  EXPECT_EQ(manager_->SaveBlobAsFile(Blob("x").get(), u"a", VARIANT_TRUE, &written), E_FAIL);
  EXPECT_EQ(TakeReport(), "56|a");
}

TEST_F(SaveBlobAsFileTest, NoDescriptorLeaks) {
  const int before = vant::testing::OpenDescriptorCount();
  for (int i = 0; i < 10; ++i) {
    Bstr written;
    (void)manager_->SaveBlobAsFile(Blob("abc").get(), Win("out/a.bin"), VARIANT_FALSE, &written);
    fs::FaultInjection::FailNthWrite(0, EIO);
    (void)manager_->SaveBlobAsFile(Blob("abc").get(), Win("out/b.bin"), VARIANT_TRUE, &written);
    fs::FaultInjection::Reset();
  }
  TakeReport();
  EXPECT_EQ(vant::testing::OpenDescriptorCount(), before);
  EXPECT_EQ(List("out").size(), 10u);
}

}  // namespace
}  // namespace vant::blob
