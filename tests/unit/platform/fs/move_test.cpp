#include "platform/fs/move.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "fs_test_helpers.h"
#include "platform/fs/drive_table.h"
#include "platform/fs/fault_injection.h"

namespace vant::fs {
namespace {

using testing::OpenDescriptorCount;
using testing::ReadHostFile;
using testing::ScratchFolder;
using testing::WriteHostFile;

constexpr const char kOtherVolume[] = "/dev/shm";

bool SameFileSystem(const std::string& a, const std::string& b) {
  struct stat first {
  }, second{};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev;
}

class MoveTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.ok()); }
  void TearDown() override { FaultInjection::Reset(); }
  ScratchFolder dir_;
};

TEST_F(MoveTest, ReplacingMovesAndReplaces) {
  WriteHostFile(dir_.Host("src"), "new");
  WriteHostFile(dir_.Host("dst"), "old");
  ASSERT_TRUE(MoveReplacing(dir_.Win("src"), dir_.Win("dst")).ok());
  EXPECT_EQ(ReadHostFile(dir_.Host("dst")), "new");
  EXPECT_EQ(ReadHostFile(dir_.Host("src")), "<missing>");

  EXPECT_EQ(MoveReplacing(dir_.Win("src"), dir_.Win("dst")).error, ENOENT);
  EXPECT_EQ(MoveReplacing(u"src", dir_.Win("dst")).error, kBadPathError);
  EXPECT_EQ(MoveReplacing(dir_.Win("dst"), dir_.Win("nofolder\\x")).error, ENOENT);
}

TEST_F(MoveTest, NoReplaceNeverReplaces) {
  WriteHostFile(dir_.Host("src"), "new");
  WriteHostFile(dir_.Host("dst"), "old");
  const Status clash = MoveNoReplace(dir_.Win("src"), dir_.Win("dst"));
  EXPECT_TRUE(clash.exists()) << "got errno " << clash.error;
  EXPECT_EQ(ReadHostFile(dir_.Host("dst")), "old");
  EXPECT_EQ(ReadHostFile(dir_.Host("src")), "new");

  ASSERT_TRUE(MoveNoReplace(dir_.Win("src"), dir_.Win("free")).ok());
  EXPECT_EQ(ReadHostFile(dir_.Host("free")), "new");
  EXPECT_EQ(ReadHostFile(dir_.Host("src")), "<missing>");
}

// Many uploads saved under one name at once: exactly one move may win; every
// other source must still be there to be saved under another name.
TEST_F(MoveTest, NoReplaceRaceHasExactlyOneWinnerAndLosesNothing) {
  constexpr int kThreads = 16;
  for (int t = 0; t < kThreads; ++t)
    WriteHostFile(dir_.Host("src" + std::to_string(t)), std::to_string(t));
  std::atomic<int> winners{0};
  std::vector<int> errors(kThreads, -1);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      errors[t] = MoveNoReplace(dir_.Win("src" + std::to_string(t)), dir_.Win("target")).error;
      if (errors[t] == 0) ++winners;
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(winners.load(), 1);
  const std::string content = ReadHostFile(dir_.Host("target"));
  for (int t = 0; t < kThreads; ++t) {
    const std::string source = ReadHostFile(dir_.Host("src" + std::to_string(t)));
    if (errors[t] == 0) {
      EXPECT_EQ(content, std::to_string(t)) << "target holds another file than the winner's";
      EXPECT_EQ(source, "<missing>");
      continue;
    }
    EXPECT_EQ(errors[t], EEXIST) << "thread " << t;
    EXPECT_EQ(source, std::to_string(t)) << "loser " << t << " lost its file";
  }
  EXPECT_EQ(dir_.Count(), static_cast<size_t>(kThreads));
}

class CrossVolumeTest : public MoveTest {
 protected:
  void SetUp() override {
    MoveTest::SetUp();
    if (!other_.ok() || SameFileSystem(dir_.Host(), other_.Host())) {
      GTEST_SKIP() << kOtherVolume << " is not a separate file system here";
    }
    WriteHostFile(dir_.Host("src"), std::string(200'000, 's'));
    WriteHostFile(other_.Host("dst"), "old");
  }
  ScratchFolder other_{kOtherVolume};
};

TEST_F(CrossVolumeTest, ReplacingCopiesAcrossFileSystems) {
  ASSERT_TRUE(MoveReplacing(dir_.Win("src"), other_.Win("dst")).ok());
  EXPECT_EQ(ReadHostFile(other_.Host("dst")), std::string(200'000, 's'));
  EXPECT_EQ(ReadHostFile(dir_.Host("src")), "<missing>");
  EXPECT_EQ(other_.Count(), 1u) << "temporary copy left behind";
}

TEST_F(CrossVolumeTest, NoReplaceAcrossFileSystems) {
  EXPECT_TRUE(MoveNoReplace(dir_.Win("src"), other_.Win("dst")).exists());
  EXPECT_EQ(ReadHostFile(other_.Host("dst")), "old");
  ASSERT_TRUE(MoveNoReplace(dir_.Win("src"), other_.Win("new")).ok());
  EXPECT_EQ(ReadHostFile(other_.Host("new")).size(), 200'000u);
  EXPECT_EQ(ReadHostFile(dir_.Host("src")), "<missing>");
}

TEST_F(CrossVolumeTest, FolderCannotCrossFileSystems) {
  ASSERT_EQ(mkdir(dir_.Host("folder").c_str(), 0700), 0);
  EXPECT_EQ(MoveReplacing(dir_.Win("folder"), other_.Win("folder")).error, EISDIR);
  EXPECT_EQ(MoveNoReplace(dir_.Win("folder"), other_.Win("folder")).error, EISDIR);
  EXPECT_EQ(other_.Count(), 1u);
}

// Fails each write, open and rename of a cross-volume move in turn (N = 0,
// 1, ... until the move gets through): a failed move must leave the source
// and the old target untouched, no temporary file and no open descriptor.
TEST_F(CrossVolumeTest, EveryInjectedFaultLeavesBothSidesIntact) {
  using Arm = void (*)(int, int);
  const std::pair<const char*, Arm> kinds[] = {
      {"write", FaultInjection::FailNthWrite},
      {"open", FaultInjection::FailNthOpen},
      {"rename", FaultInjection::FailNthRename},
  };
  const std::string payload(200'000, 's');
  const int descriptors = OpenDescriptorCount();
  for (const bool replacing : {true, false}) {
    for (const auto& [kind, arm] : kinds) {
      for (int n = 0;; ++n) {
        ASSERT_LT(n, 100) << kind << ": the move never got through";
        WriteHostFile(dir_.Host("src"), payload);
        WriteHostFile(other_.Host("dst"), "old");
        std::remove(other_.Host("new").c_str());
        arm(n, EIO);
        const std::u16string target = other_.Win(replacing ? "dst" : "new");
        const Status status = replacing ? MoveReplacing(dir_.Win("src"), target)
                                        : MoveNoReplace(dir_.Win("src"), target);
        FaultInjection::Reset();
        const std::string label = std::string(kind) + " N=" + std::to_string(n) +
                                  (replacing ? " replacing" : " no-replace");
        EXPECT_EQ(OpenDescriptorCount(), descriptors) << label;
        if (status.ok()) {
          EXPECT_EQ(ReadHostFile(other_.Host(replacing ? "dst" : "new")), payload) << label;
          break;
        }
        EXPECT_EQ(status.error, EIO) << label;
        EXPECT_EQ(ReadHostFile(dir_.Host("src")), payload) << label;
        EXPECT_EQ(ReadHostFile(other_.Host("dst")), "old") << label;
        EXPECT_EQ(other_.Count(), 1u) << label << ": partial file left";
      }
    }
  }
}

TEST_F(MoveTest, InjectedRenameFailureOnOneVolume) {
  WriteHostFile(dir_.Host("src"), "new");
  FaultInjection::FailNthRename(0, EIO);
  EXPECT_EQ(MoveReplacing(dir_.Win("src"), dir_.Win("dst")).error, EIO);
  FaultInjection::FailNthRename(0, ENOSPC);
  EXPECT_EQ(MoveNoReplace(dir_.Win("src"), dir_.Win("dst")).error, ENOSPC);
  EXPECT_EQ(ReadHostFile(dir_.Host("src")), "new");
  EXPECT_EQ(ReadHostFile(dir_.Host("dst")), "<missing>");
}

// File systems without RENAME_NOREPLACE answer EINVAL; the move must fall
// back to link + unlink and still never replace.
TEST_F(MoveTest, NoReplaceFallsBackToLinkWhenRenameCannotRefuse) {
  WriteHostFile(dir_.Host("src"), "new");
  WriteHostFile(dir_.Host("dst"), "old");
  FaultInjection::FailNthRename(0, EINVAL);
  EXPECT_TRUE(MoveNoReplace(dir_.Win("src"), dir_.Win("dst")).exists());
  EXPECT_EQ(ReadHostFile(dir_.Host("dst")), "old");
  FaultInjection::FailNthRename(0, EINVAL);
  ASSERT_TRUE(MoveNoReplace(dir_.Win("src"), dir_.Win("free")).ok());
  EXPECT_EQ(ReadHostFile(dir_.Host("free")), "new");
  EXPECT_EQ(ReadHostFile(dir_.Host("src")), "<missing>");
}

// An injected EXDEV takes the copy paths on any machine, also where no
// second file system is at hand.
TEST_F(MoveTest, SimulatedCrossVolumeMoves) {
  WriteHostFile(dir_.Host("a"), "first");
  WriteHostFile(dir_.Host("b"), "second");
  WriteHostFile(dir_.Host("dst"), "old");
  FaultInjection::FailNthRename(0, EXDEV);
  ASSERT_TRUE(MoveReplacing(dir_.Win("a"), dir_.Win("dst")).ok());
  EXPECT_EQ(ReadHostFile(dir_.Host("dst")), "first");
  FaultInjection::FailNthRename(0, EXDEV);
  EXPECT_TRUE(MoveNoReplace(dir_.Win("b"), dir_.Win("dst")).exists());
  FaultInjection::FailNthRename(0, EXDEV);
  ASSERT_TRUE(MoveNoReplace(dir_.Win("b"), dir_.Win("c")).ok());
  EXPECT_EQ(ReadHostFile(dir_.Host("c")), "second");
  EXPECT_EQ(dir_.Count(), 2u) << "sources or temporary copies left behind";
}

}  // namespace
}  // namespace vant::fs
