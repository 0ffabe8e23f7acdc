#include "platform/fs/file.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <string>

#include "fs_test_helpers.h"
#include "platform/fs/fault_injection.h"
#include "platform/fs/status.h"

namespace vant::fs {
namespace {

using testing::OpenDescriptorCount;
using testing::ReadHostFile;
using testing::ScratchFolder;
using testing::WriteHostFile;

class FileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.ok()); }
  void TearDown() override { FaultInjection::Reset(); }
  ScratchFolder dir_;
};

struct OpenRow {
  const char* name;
  bool fileExists;
  Access access;
  Disposition disposition;
  int expectedError;
  const char* contentAfter;  // content of the file after open + close
};

TEST_F(FileTest, OpenDispositions) {
  const OpenRow rows[] = {
      {"open existing, present", true, Access::kRead, Disposition::kOpenExisting, 0, "old"},
      {"open existing, missing", false, Access::kRead, Disposition::kOpenExisting, ENOENT,
       "<missing>"},
      {"create new, present", true, Access::kWrite, Disposition::kCreateNew, EEXIST, "old"},
      {"create new, missing", false, Access::kWrite, Disposition::kCreateNew, 0, ""},
      {"create always truncates", true, Access::kWrite, Disposition::kCreateAlways, 0, ""},
      {"open always keeps content", true, Access::kReadWrite, Disposition::kOpenAlways, 0, "old"},
      {"open always creates", false, Access::kRead, Disposition::kOpenAlways, 0, ""},
  };
  for (const auto& row : rows) {
    const std::string host = dir_.Host("f.txt");
    if (row.fileExists) WriteHostFile(host, "old");
    File file;
    const Status status = file.Open(dir_.Win("f.txt"), row.access, row.disposition);
    EXPECT_EQ(status.error, row.expectedError) << row.name;
    EXPECT_EQ(file.is_open(), row.expectedError == 0) << row.name;
    EXPECT_TRUE(file.Close().ok()) << row.name;
    EXPECT_EQ(ReadHostFile(host), row.contentAfter) << row.name;
    std::remove(host.c_str());
  }
}

TEST_F(FileTest, WriteReadSeekSize) {
  File file;
  ASSERT_TRUE(file.Open(dir_.Win("data.bin"), Access::kReadWrite, Disposition::kCreateNew).ok());
  EXPECT_TRUE(file.Write("hello, world").ok());
  uint64_t size = 0;
  ASSERT_TRUE(file.Size(size).ok());
  EXPECT_EQ(size, 12u);

  int64_t position = -1;
  ASSERT_TRUE(file.Seek(7, SeekFrom::kBegin, position).ok());
  EXPECT_EQ(position, 7);
  char buffer[16] = {};
  size_t got = 0;
  ASSERT_TRUE(file.Read(buffer, sizeof buffer, got).ok());
  EXPECT_EQ(std::string(buffer, got), "world");
  ASSERT_TRUE(file.Read(buffer, sizeof buffer, got).ok());
  EXPECT_EQ(got, 0u) << "end of file";

  ASSERT_TRUE(file.Seek(-5, SeekFrom::kEnd, position).ok());
  EXPECT_EQ(position, 7);
  EXPECT_EQ(file.Seek(-100, SeekFrom::kCurrent, position).error, EINVAL);
  EXPECT_TRUE(file.Sync().ok());
}

TEST_F(FileTest, LargeWriteArrivesWhole) {
  const std::string big(3 * 1024 * 1024 + 17, 'x');
  File file;
  ASSERT_TRUE(file.CreateTruncate(dir_.Win("big")).ok());
  ASSERT_TRUE(file.Write(big).ok());
  ASSERT_TRUE(file.Close().ok());
  EXPECT_EQ(ReadHostFile(dir_.Host("big")).size(), big.size());
}

TEST_F(FileTest, ClosedAndUnmappableFilesFailCleanly) {
  File file;
  size_t got = 7;
  char byte;
  uint64_t size = 0;
  EXPECT_EQ(file.Write("x").error, EBADF);
  EXPECT_EQ(file.Read(&byte, 1, got).error, EBADF);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(file.Size(size).error, EBADF);
  EXPECT_EQ(file.Sync().error, EBADF);
  EXPECT_TRUE(file.Close().ok());

  const Status bad = file.OpenRead(u"relative\\a.txt");
  EXPECT_EQ(bad.error, kBadPathError);
  EXPECT_EQ(errno, kBadPathError) << "errno must describe the failure too";
  EXPECT_EQ(file.CreateExclusive(u"Z:\\a.txt").error, kBadPathError);
}

TEST_F(FileTest, DescriptorsAreCloseOnExecAndReleasedOnMoveAndDestruction) {
  const int before = OpenDescriptorCount();
  {
    File first;
    ASSERT_TRUE(first.CreateTruncate(dir_.Win("a")).ok());
    EXPECT_EQ(fcntl(first.fd(), F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
    File second = std::move(first);
    EXPECT_FALSE(first.is_open());
    File third;
    ASSERT_TRUE(third.CreateTruncate(dir_.Win("b")).ok());
    third = std::move(second);  // third's own descriptor must be closed
    EXPECT_EQ(OpenDescriptorCount(), before + 1);
    ASSERT_TRUE(third.OpenRead(dir_.Win("a")).ok());  // reopening closes first
    EXPECT_EQ(OpenDescriptorCount(), before + 1);
  }
  EXPECT_EQ(OpenDescriptorCount(), before);
}

// Fails the Nth write for N = 0, 1, ... until a run gets through: every
// failure must be reported with the injected errno and leak nothing.
TEST_F(FileTest, InjectedWriteFailureIsReturnedAndLeaksNothing) {
  constexpr int kWrites = 4;
  const int before = OpenDescriptorCount();
  for (int n = 0; n <= kWrites; ++n) {
    FaultInjection::FailNthWrite(n, ENOSPC);
    int failedAt = -1;
    {
      File file;
      ASSERT_TRUE(file.CreateTruncate(dir_.Win("out")).ok());
      for (int i = 0; i < kWrites && failedAt < 0; ++i) {
        const Status status = file.Write("chunk");
        if (!status.ok()) {
          EXPECT_EQ(status.error, ENOSPC);
          failedAt = i;
        }
      }
    }
    FaultInjection::Reset();
    EXPECT_EQ(failedAt, n < kWrites ? n : -1) << "N=" << n;
    EXPECT_EQ(OpenDescriptorCount(), before) << "N=" << n;
  }
}

TEST_F(FileTest, InjectedOpenFailure) {
  FaultInjection::FailNthOpen(1, EMFILE);
  File first;
  File second;
  EXPECT_TRUE(first.CreateTruncate(dir_.Win("a")).ok());
  EXPECT_EQ(second.CreateTruncate(dir_.Win("b")).error, EMFILE);
  EXPECT_FALSE(second.is_open());
  EXPECT_EQ(ReadHostFile(dir_.Host("b")), "<missing>") << "a failed open creates nothing";
}

}  // namespace
}  // namespace vant::fs
