#include "platform/fs/memory_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace vant::fs {
namespace {

// Whatever a holder of the descriptor tries, the sealed bytes stay as they
// were: a sender handing them to the kernel relies on that.
TEST(MemoryFileTest, SealedBytesCannotChangeThroughTheDescriptor) {
  struct Row {
    const char* what;
    std::uint64_t capacity;
    std::string written;
    std::uint64_t kept;
  };
  const Row rows[] = {
      {"all of it", 5, "hello", 5},
      {"cut to what was read", 64, "short", 5},
      {"empty", 0, "", 0},
  };
  for (const Row& row : rows) {
    MemoryFile file;
    ASSERT_TRUE(file.Create(row.capacity).ok()) << row.what;
    std::memcpy(file.writable(), row.written.data(), row.written.size());
    ASSERT_TRUE(file.Seal(row.kept).ok()) << row.what;
    EXPECT_EQ(file.writable(), nullptr) << row.what;
    ASSERT_EQ(file.size(), row.kept) << row.what;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data()), file.size()), row.written)
        << row.what;
    struct stat st {};
    ASSERT_EQ(::fstat(file.fd(), &st), 0);
    EXPECT_EQ(static_cast<std::uint64_t>(st.st_size), row.kept) << row.what;

    EXPECT_EQ(::pwrite(file.fd(), "x", 1, 0), -1) << row.what;
    EXPECT_EQ(errno, EPERM) << row.what;
    if (row.kept > 0) {
      EXPECT_NE(::ftruncate(file.fd(), 0), 0) << row.what;
    }
    EXPECT_NE(::ftruncate(file.fd(), 1 << 20), 0) << row.what;
    char back[8] = {};
    EXPECT_EQ(::pread(file.fd(), back, sizeof back, 0), static_cast<ssize_t>(row.kept)) << row.what;
  }
}

TEST(MemoryFileTest, MovedBlockKeepsItsBytesAndTheOldOneIsEmpty) {
  MemoryFile first;
  ASSERT_TRUE(first.Create(3).ok());
  std::memcpy(first.writable(), "abc", 3);
  ASSERT_TRUE(first.Seal(3).ok());
  const int fd = first.fd();
  MemoryFile second = std::move(first);
  EXPECT_EQ(first.fd(), -1);
  EXPECT_EQ(first.data(), nullptr);
  EXPECT_EQ(second.fd(), fd);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(second.data()), 3), "abc");
  EXPECT_FALSE(second.Seal(1).ok());  // sealed once only
}

// More than the address space can hold is refused before any page is taken.
TEST(MemoryFileTest, BlockTheSystemCannotHoldIsRefused) {
  MemoryFile file;
  const Status status = file.Create(std::uint64_t{1} << 62);
  EXPECT_EQ(status.error, ENOMEM);
  EXPECT_EQ(file.fd(), -1);
}

}  // namespace
}  // namespace vant::fs
