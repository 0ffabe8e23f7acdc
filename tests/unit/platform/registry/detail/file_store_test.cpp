#include "platform/registry/detail/file_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/registry/status.h"
#include "unit/platform/registry/test_files.h"

namespace vant::registry::detail {
namespace {

using testing::OpenDescriptorCount;
using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

// Replaces the file text with a fixed new text.
TextUpdate SetTextTo(const std::string& next) {
  return [next](const std::string&, std::string* out) {
    *out = next;
    return ERROR_SUCCESS;
  };
}

// Fails the Nth file step (counting from 0) with the given errno.
class FailNthStep {
 public:
  FailNthStep(int n, int error) {
    SetFaultHook([this, n, error](std::string_view step) {
      if (calls_++ != n) return 0;
      failed_ = std::string(step);
      return error;
    });
  }
  ~FailNthStep() { SetFaultHook(nullptr); }
  const std::string& FailedStep() const { return failed_; }

 private:
  int calls_ = 0;
  std::string failed_;
};

TEST(FileStoreTest, FailingAnyStepKeepsTheOldFileAndLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string file = dir.Host("registry.reg");
  WriteHostFile(file, "old text\n");
  const int fds = OpenDescriptorCount();
  // Fail step 0, 1, 2, ... until the update goes through, like a countdown.
  for (int n = 0;; ++n) {
    long status = ERROR_SUCCESS;
    std::string failed;
    {
      const FailNthStep fault(n, EIO);
      status = UpdateRegistryFile(file, SetTextTo("new text\n"));
      failed = fault.FailedStep();
    }
    EXPECT_EQ(OpenDescriptorCount(), fds) << "descriptor leak when failing step " << failed;
    for (const std::string& name : dir.List()) {
      EXPECT_TRUE(name == "registry.reg" || name == "registry.reg.lock")
          << name << " left behind after failing step " << failed;
    }
    if (failed.empty()) {
      EXPECT_EQ(status, ERROR_SUCCESS);
      EXPECT_EQ(ReadHostFile(file), "new text\n");
      EXPECT_GE(n, 10) << "fewer steps than expected: the countdown missed some";
      break;
    }
    const long expected = failed == "read" ? ERROR_READ_FAULT : ERROR_WRITE_FAULT;
    EXPECT_EQ(status, expected) << "failing step " << failed;
    EXPECT_EQ(ReadHostFile(file), "old text\n") << "failing step " << failed;
  }
}

TEST(FileStoreTest, ErrnoMapsToTheWin32Status) {
  struct Row {
    const char* step;
    int error;
    long status;
  };
  const Row rows[] = {
      {"write", ENOSPC, ERROR_DISK_FULL},     {"write", EDQUOT, ERROR_DISK_FULL},
      {"mkdir", EACCES, ERROR_ACCESS_DENIED}, {"rename", EROFS, ERROR_ACCESS_DENIED},
      {"fsync", EIO, ERROR_WRITE_FAULT},      {"read", EACCES, ERROR_ACCESS_DENIED},
      {"read", EISDIR, ERROR_READ_FAULT},
  };
  for (const Row& row : rows) {
    TempDir dir;
    SetFaultHook([&row](std::string_view step) { return step == row.step ? row.error : 0; });
    EXPECT_EQ(UpdateRegistryFile(dir.Host("r.reg"), SetTextTo("x")), row.status)
        << row.step << " errno " << row.error;
    SetFaultHook(nullptr);
  }
}

TEST(FileStoreTest, CreatesMissingFoldersAndKeepsTheFileMode) {
  TempDir dir;
  const std::string file = dir.Host("a/b/c/registry.reg");
  ASSERT_EQ(UpdateRegistryFile(file, SetTextTo("one\n")), ERROR_SUCCESS);
  EXPECT_EQ(ReadHostFile(file), "one\n");

  ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
  ASSERT_EQ(UpdateRegistryFile(file, SetTextTo("two\n")), ERROR_SUCCESS);
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(ReadHostFile(file), "two\n");
}

TEST(FileStoreTest, AnUpdateSeesTheCurrentTextAndItsFailureWritesNothing) {
  TempDir dir;
  const std::string file = dir.Host("r.reg");
  WriteHostFile(file, "current");
  std::string seen;
  const long status = UpdateRegistryFile(file, [&](const std::string& current, std::string* next) {
    seen = current;
    *next = "never written";
    return ERROR_INVALID_PARAMETER;
  });
  EXPECT_EQ(status, ERROR_INVALID_PARAMETER);
  EXPECT_EQ(seen, "current");
  EXPECT_EQ(ReadHostFile(file), "current");
}

TEST(FileStoreTest, AMissingFileReadsEmptyAndAFolderDoesNot) {
  TempDir dir;
  std::string text = "stale";
  EXPECT_EQ(ReadRegistryFile(dir.Host("none.reg"), &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "");
  EXPECT_EQ(ReadRegistryFile(dir.Host("none/deeper.reg"), &text), ERROR_SUCCESS);
  EXPECT_EQ(ReadRegistryFile(dir.Path(), &text), ERROR_READ_FAULT);
}

}  // namespace
}  // namespace vant::registry::detail
