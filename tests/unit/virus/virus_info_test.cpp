#include "virus/virus_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "module/class_table.h"
#include "platform/fs/file_info.h"
#include "platform/fs/path_map.h"
#include "support/fake_host.h"
#include "unit/frame/error_report_fixture.h"

namespace vant::virus {
namespace {

using frame::testing::TakeRecord;

constexpr const char* kCatalog =
    "[1033]\n"
    "0x40020004 = Path too long.\n"
    "0x40020005 = No folder %1.\n"
    "0x40020065 = No memory for the string.\n"
    "0x40020066 = Unexpected in %1.%2\n";

std::string TakeSource() {
  const auto record = TakeRecord();
  return record ? Utf16ToUtf8(record->source) : "<none>";
}

class VirusInfoTest : public frame::testing::ReportTest {
 protected:
  void SetUp() override {
    ReportTest::SetUp();
    reg_.dir().Write("res/messages.cat", kCatalog);
    Configure(1033);
    root_ = reg_.dir().Host("work");
    std::filesystem::create_directories(root_);
    ASSERT_EQ(CreateVirusInfo(IIVirusInfo::kIid, info_.ReceiveVoid()), S_OK);
  }

  // The Windows form of a host path under the test folder.
  std::u16string WindowsPath(const std::string& relative) const {
    return fs::ToWindowsPath(root_ + relative).value();
  }

  Bstr TempPath() {
    Bstr path;
    EXPECT_EQ(info_->get_TempPath(&path), S_OK);
    return path;
  }

  std::string root_;
  ComPtr<IIVirusInfo> info_;
};

TEST_F(VirusInfoTest, NewObjectReadsZeroFalseAndEmpty) {
  using Getter = HRESULT (IIVirusInfo::*)(std::int32_t*);
  for (const Getter get : {&IIVirusInfo::get_ScanMode, &IIVirusInfo::get_ScanOption,
                           &IIVirusInfo::get_ScannedCount, &IIVirusInfo::get_InfectedCount,
                           &IIVirusInfo::get_RepairedCount, &IIVirusInfo::get_RemovedCount}) {
    std::int32_t value = -1;
    EXPECT_EQ(((*info_).*get)(&value), S_OK);
    EXPECT_EQ(value, 0);
  }
  VARIANT_BOOL remove = VARIANT_TRUE;
  EXPECT_EQ(info_->get_AutoRemovingInfectedFile(&remove), S_OK);
  EXPECT_EQ(remove, VARIANT_FALSE);
  const Bstr path = TempPath();
  EXPECT_EQ(path.str(), u"");
}

TEST_F(VirusInfoTest, NumbersRoundTripLateBound) {
  struct Row {
    const char16_t* name;
    std::int32_t value;
  };
  const Row rows[] = {{u"ScanMode", -7},     {u"ScanOption", 2147483647},
                      {u"ScannedCount", 12}, {u"InfectedCount", -2147483647 - 1},
                      {u"RepairedCount", 0}, {u"RemovedCount", 99}};
  for (const Row& row : rows) {
    DISPID id = 0;
    ASSERT_EQ(info_->GetIDsOfNames(row.name, &id), S_OK);
    std::vector<Variant> args{Variant::I4(row.value)};
    DispParams put{args};
    Variant result;
    ASSERT_EQ(info_->Invoke(id, DISPATCH_PROPERTYPUT, put, &result), S_OK) << Utf16ToUtf8(row.name);
    DispParams get{};
    ASSERT_EQ(info_->Invoke(id, DISPATCH_PROPERTYGET, get, &result), S_OK);
    EXPECT_EQ(result.i4(), row.value) << Utf16ToUtf8(row.name);
  }
}

TEST_F(VirusInfoTest, AutoRemovingTakesAnyNonZeroAsTrue) {
  struct Row {
    VARIANT_BOOL put;
    VARIANT_BOOL read;
  };
  const Row rows[] = {{static_cast<VARIANT_BOOL>(5), VARIANT_TRUE},
                      {VARIANT_FALSE, VARIANT_FALSE},
                      {VARIANT_TRUE, VARIANT_TRUE},
                      {static_cast<VARIANT_BOOL>(1), VARIANT_TRUE}};
  for (const Row& row : rows) {
    ASSERT_EQ(info_->put_AutoRemovingInfectedFile(row.put), S_OK);
    VARIANT_BOOL read = VARIANT_FALSE;
    ASSERT_EQ(info_->get_AutoRemovingInfectedFile(&read), S_OK);
    EXPECT_EQ(read, row.read) << "put " << static_cast<int>(row.put);
  }
}

TEST_F(VirusInfoTest, TempPathAcceptsAnExistingFolderUnchanged) {
  const std::u16string folder = WindowsPath("");
  ASSERT_EQ(info_->put_TempPath(Bstr(folder)), S_OK);
  EXPECT_EQ(TempPath().str(), folder);
  EXPECT_EQ(TakeSource(), "<none>");
}

TEST_F(VirusInfoTest, TempPathCreatesMissingFoldersWithParents) {
  const std::u16string folder = WindowsPath("/a/b/c");
  ASSERT_EQ(info_->put_TempPath(Bstr(folder)), S_OK);
  EXPECT_TRUE(std::filesystem::is_directory(root_ + "/a/b/c"));
  EXPECT_EQ(TempPath().str(), folder);
}

TEST_F(VirusInfoTest, TempPathOf1023CharactersIsAccepted) {
  // Nested folders of at most 200 characters each, to exactly 1023 in all.
  std::u16string path = WindowsPath("");
  constexpr std::size_t kLength = 1023;
  while (path.size() < kLength) {
    const std::size_t room = kLength - path.size() - 1;
    path += u"\\" + std::u16string(std::min<std::size_t>(room, 200), u'd');
  }
  ASSERT_EQ(path.size(), kLength);
  EXPECT_EQ(info_->put_TempPath(Bstr(path)), S_OK) << TakeSource();
  EXPECT_EQ(TempPath().str(), path);
  EXPECT_TRUE(fs::FolderExists(path));
}

TEST_F(VirusInfoTest, TempPathOf1024CharactersIsRefusedAndKeepsTheOldValue) {
  const std::u16string folder = WindowsPath("");
  ASSERT_EQ(info_->put_TempPath(Bstr(folder)), S_OK);
  EXPECT_EQ(info_->put_TempPath(Bstr(std::u16string(1024, u'x'))), E_FAIL);
  EXPECT_EQ(TakeSource(), "Path too long.");
  EXPECT_EQ(TempPath().str(), folder);
}

TEST_F(VirusInfoTest, TempPathThatCannotBeAFolderFailsAndIsKept) {
  std::ofstream(root_ + "/file.txt") << "x";
  struct Row {
    const char* what;
    std::u16string path;
  };
  const Row rows[] = {
      {"an existing file", WindowsPath("/file.txt")},
      {"below an existing file", WindowsPath("/file.txt/sub")},
      {"an unmapped drive", u"Q:\\scan"},
      {"a relative path", u"scan"},
  };
  for (const Row& row : rows) {
    ComPtr<IIVirusInfo> info;
    ASSERT_EQ(CreateVirusInfo(IIVirusInfo::kIid, info.ReceiveVoid()), S_OK);
    EXPECT_EQ(info->put_TempPath(Bstr(row.path)), E_FAIL) << row.what;
    EXPECT_EQ(TakeSource(), "No folder " + Utf16ToUtf8(row.path) + ".") << row.what;
    Bstr kept;
    ASSERT_EQ(info->get_TempPath(&kept), S_OK);
    EXPECT_EQ(kept.str(), row.path) << row.what;
  }
}

TEST_F(VirusInfoTest, VirtualTempPathIsMappedAndCreated) {
  test::FakeHost host;
  host.SetSiteRoot(WindowsPath("/site"));
  ASSERT_EQ(info_->OnStartPage(host.ScriptingContext().get()), S_OK);
  ASSERT_EQ(info_->put_TempPath(Bstr(u"/upload/scan")), S_OK);
  EXPECT_EQ(host.MapPathCalls(), std::vector<std::u16string>{u"/upload/scan"});
  EXPECT_TRUE(std::filesystem::is_directory(root_ + "/site/upload/scan"));
  EXPECT_EQ(TempPath().str(), WindowsPath("/site/upload/scan"));
  EXPECT_EQ(info_->OnEndPage(), S_OK);
  EXPECT_EQ(host.References(test::Intrinsic::Server), 0u);
}

TEST_F(VirusInfoTest, OnlyTheFirstErrorOfAnObjectIsReported) {
  EXPECT_EQ(info_->put_TempPath(Bstr(std::u16string(2000, u'x'))), E_FAIL);
  EXPECT_EQ(info_->put_TempPath(Bstr(u"Q:\\nowhere")), E_FAIL);
  EXPECT_EQ(TakeSource(), "Path too long.");
  EXPECT_EQ(info_->put_TempPath(Bstr(u"Q:\\nowhere")), E_FAIL);
  EXPECT_EQ(TakeSource(), "<none>") << "the flag stays set";
  ComPtr<IIVirusInfo> other;
  ASSERT_EQ(CreateVirusInfo(IIVirusInfo::kIid, other.ReceiveVoid()), S_OK);
  EXPECT_EQ(other->put_TempPath(Bstr(u"Q:\\nowhere")), E_FAIL);
  EXPECT_EQ(TakeSource(), "No folder Q:\\nowhere.") << "each object has its own flag";
}

TEST_F(VirusInfoTest, OnStartPageNeedsEveryIntrinsicIncludingSession) {
  test::FakeHost host;
  host.Remove(test::Intrinsic::Session);
  EXPECT_EQ(info_->OnStartPage(host.ScriptingContext().get()), E_FAIL);
}

TEST(VirusInfoClass, CreatorIsRegisteredUnderTheTableIdentifier) {
  for (const frame::ClassInfo& info : frame::CreatableClasses()) {
    if (info.name != kVirusInfoClassName) continue;
    EXPECT_EQ(info.progId, u"VANTUploaddll.IVirusInfo");
    EXPECT_EQ(frame::FindClassCreator(info.clsid), &CreateVirusInfo);
    return;
  }
  FAIL() << "IVirusInfo is not in the class table";
}

}  // namespace
}  // namespace vant::virus
