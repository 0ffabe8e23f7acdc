#include "platform/fs/folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "fs_test_helpers.h"
#include "platform/fs/drive_table.h"
#include "platform/fs/fault_injection.h"
#include "platform/fs/pending_file.h"

namespace vant::fs {
namespace {

using testing::OpenDescriptorCount;
using testing::ReadHostFile;
using testing::ScratchFolder;
using testing::WriteHostFile;

class FolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDrives();
    ASSERT_TRUE(dir_.ok());
  }
  void TearDown() override { FaultInjection::Reset(); }
  ScratchFolder dir_;
};

// A tree walk must remove a link, never what it points to, and stop at a
// read-only file unless forced.
TEST_F(FolderTest, DeleteTreeRemovesLinksNotTheirTargetsAndHonoursReadOnly) {
  ScratchFolder outside;
  WriteHostFile(outside.Host("keep.txt"), "keep");
  ASSERT_EQ(::mkdir(dir_.Host("t").c_str(), 0777), 0);
  ASSERT_EQ(::symlink(outside.Host().c_str(), dir_.Host("t/link").c_str()), 0);
  WriteHostFile(dir_.Host("t/ro.txt"), "ro");
  ASSERT_EQ(::chmod(dir_.Host("t/ro.txt").c_str(), 0444), 0);

  EXPECT_EQ(DeleteFolderTree(dir_.Win("t"), false).error, EACCES);
  EXPECT_EQ(ReadHostFile(dir_.Host("t/ro.txt")), "ro");
  EXPECT_TRUE(DeleteFolderTree(dir_.Win("t"), true).ok());
  EXPECT_EQ(ReadHostFile(outside.Host("keep.txt")), "keep");
  EXPECT_EQ(dir_.Count(), 0u);

  // A link to a folder named directly goes, its target stays.
  ASSERT_EQ(::symlink(outside.Host().c_str(), dir_.Host("l").c_str()), 0);
  EXPECT_TRUE(DeleteFolderTree(dir_.Win("l"), true).ok());
  EXPECT_EQ(ReadHostFile(outside.Host("keep.txt")), "keep");
}

TEST_F(FolderTest, ListingSkipsNamesNoWindowsPathCanName) {
  WriteHostFile(dir_.Host("b.txt"), "");
  WriteHostFile(dir_.Host("bad\xff.txt"), "");
  WriteHostFile(dir_.Host("b.txt.~vant0123abcd"), "");
  ASSERT_EQ(::mkdir(dir_.Host("a").c_str(), 0777), 0);
  ASSERT_EQ(::symlink("/nonexistent-target", dir_.Host("dangling").c_str()), 0);
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(ListFolder(dir_.Win(), entries).ok());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, u"a");
  EXPECT_TRUE(entries[0].isFolder);
  EXPECT_EQ(entries[1].name, u"b.txt");
}

// Every write, open and rename a copy or a pending file makes fails in turn:
// the old target stays whole, no temporary file or descriptor is left.
TEST_F(FolderTest, EveryInjectedFaultLeavesTheOldTargetWhole) {
  using Arm = void (*)(int, int);
  const std::pair<const char*, Arm> kinds[] = {
      {"write", FaultInjection::FailNthWrite},
      {"open", FaultInjection::FailNthOpen},
      {"rename", FaultInjection::FailNthRename},
  };
  const std::string payload(200'000, 'n');
  const int descriptors = OpenDescriptorCount();
  for (const char* how : {"copy", "pending", "pending-append"}) {
    for (const auto& [kind, arm] : kinds) {
      for (int n = 0;; ++n) {
        ASSERT_LT(n, 100) << kind << ": never got through";
        WriteHostFile(dir_.Host("src"), payload);
        WriteHostFile(dir_.Host("dst"), "old");
        arm(n, ENOSPC);
        Status status;
        if (std::string(how) == "copy") {
          status = CopyFile(dir_.Win("src"), dir_.Win("dst"), true);
        } else {
          PendingFile pending;
          status = pending.Begin(dir_.Win("dst"), std::string(how) == "pending-append");
          for (int i = 0; status.ok() && i < 4; ++i) status = pending.Write(payload);
          if (status.ok()) status = pending.Commit(true);
        }
        FaultInjection::Reset();
        const std::string label = std::string(how) + " " + kind + " N=" + std::to_string(n);
        EXPECT_EQ(OpenDescriptorCount(), descriptors) << label;
        EXPECT_EQ(dir_.Count(), 2u) << label << ": a temporary file was left";
        if (status.ok()) {
          const std::string old = std::string(how) == "pending-append" ? "old" : "";
          const int copies = std::string(how) == "copy" ? 1 : 4;
          std::string want = old;
          for (int i = 0; i < copies; ++i) want += payload;
          EXPECT_EQ(ReadHostFile(dir_.Host("dst")), want) << label;
          break;
        }
        EXPECT_EQ(status.error, ENOSPC) << label;
        EXPECT_EQ(ReadHostFile(dir_.Host("dst")), "old") << label;
      }
    }
  }
}

TEST_F(FolderTest, PendingFileRefusesFoldersAndReadOnlyTargetsAndNeverReplacesWhenAsked) {
  ASSERT_EQ(::mkdir(dir_.Host("sub").c_str(), 0777), 0);
  WriteHostFile(dir_.Host("ro"), "ro");
  ASSERT_EQ(::chmod(dir_.Host("ro").c_str(), 0444), 0);
  PendingFile pending;
  EXPECT_EQ(pending.Begin(dir_.Win("sub"), false).error, EISDIR);
  EXPECT_EQ(pending.Begin(dir_.Win("ro"), false).error, EACCES);
  EXPECT_EQ(pending.Begin(dir_.Win("none\\x"), false).error, ENOENT);
  ASSERT_TRUE(pending.Begin(dir_.Win("new"), false).ok());
  ASSERT_TRUE(pending.Write("mine").ok());
  WriteHostFile(dir_.Host("new"), "theirs");
  EXPECT_EQ(pending.Commit(false).error, EEXIST);
  EXPECT_EQ(ReadHostFile(dir_.Host("new")), "theirs");
  EXPECT_EQ(dir_.Count(), 3u);
}

}  // namespace
}  // namespace vant::fs
