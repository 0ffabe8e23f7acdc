#include "platform/fs/file_info.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>
#include <vector>

#include "fs_test_helpers.h"

namespace vant::fs {
namespace {

using testing::ScratchFolder;
using testing::WriteHostFile;

class FileInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.ok());
    WriteHostFile(dir_.Host("file.txt"), "12345");
    ASSERT_EQ(mkdir(dir_.Host("folder").c_str(), 0700), 0);
    ASSERT_EQ(symlink("file.txt", dir_.Host("link").c_str()), 0);
  }
  ScratchFolder dir_;
};

TEST_F(FileInfoTest, ExistsAsFileOrFolder) {
  struct Row {
    std::u16string path;
    bool file;
    bool folder;
  };
  const Row rows[] = {
      {dir_.Win("file.txt"), true, false},
      {dir_.Win("FILE.TXT"), false, false},  // names are case-sensitive here
      {dir_.Win("folder"), false, true},
      {dir_.Win("folder") + u"\\", false, true},
      {dir_.Win("link"), true, false},
      {dir_.Win("missing"), false, false},
      {dir_.Win("file.txt") + u"\\x", false, false},
      {u"relative.txt", false, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(FileExists(row.path), row.file) << sys::Utf16ToUtf8(row.path);
    EXPECT_EQ(FolderExists(row.path), row.folder) << sys::Utf16ToUtf8(row.path);
  }
}

TEST_F(FileInfoTest, AttributesAndTimeConversions) {
  // 2021-03-04 05:06:07.5 UTC
  const timespec times[2] = {{1614834367, 500'000'000}, {1614834367, 500'000'000}};
  ASSERT_EQ(utimensat(AT_FDCWD, dir_.Host("file.txt").c_str(), times, 0), 0);
  FileAttributes attributes;
  ASSERT_TRUE(GetAttributes(dir_.Win("file.txt"), attributes).ok());
  EXPECT_FALSE(attributes.isFolder);
  EXPECT_EQ(attributes.size, 5u);
  EXPECT_EQ(attributes.lastWriteSeconds, 1614834367);
  EXPECT_EQ(attributes.lastWriteNanoseconds, 500'000'000);
  EXPECT_EQ(attributes.LastWriteFileTime(), 132593079675000000ull);
  EXPECT_NEAR(attributes.LastWriteDate(), 44259.212587, 1e-6);

  ASSERT_TRUE(GetAttributes(dir_.Win("folder"), attributes).ok());
  EXPECT_TRUE(attributes.isFolder);
  EXPECT_EQ(GetAttributes(dir_.Win("missing"), attributes).error, ENOENT);
  EXPECT_EQ(GetAttributes(u"\\\\server\\share", attributes).error, kBadPathError);
}

TEST_F(FileInfoTest, CreateFolderTree) {
  struct Row {
    const char* name;
    std::u16string path;
    int expectedError;
  };
  const Row rows[] = {
      {"nested new", dir_.Win("a\\b\\c"), 0},
      {"existing folder", dir_.Win("folder"), 0},
      {"below the new one", dir_.Win("a\\b\\c\\d"), 0},
      {"file in the way", dir_.Win("file.txt"), EEXIST},
      {"file as a parent", dir_.Win("file.txt\\sub"), ENOTDIR},
      {"unmappable", u"Q:\\x", kBadPathError},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CreateFolderTree(row.path).error, row.expectedError) << row.name;
  }
  EXPECT_TRUE(FolderExists(dir_.Win("a\\b\\c\\d")));
}

TEST_F(FileInfoTest, ConcurrentCreatorsOfOneTreeAllSucceed) {
  constexpr int kThreads = 8;
  const std::u16string deep = dir_.Win("x\\y\\z\\w\\v");
  std::vector<int> errors(kThreads, -1);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] { errors[t] = CreateFolderTree(deep).error; });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(errors[t], 0) << "thread " << t;
  EXPECT_TRUE(FolderExists(deep));
}

TEST_F(FileInfoTest, DeleteFile) {
  EXPECT_TRUE(DeleteFile(dir_.Win("file.txt")).ok());
  EXPECT_FALSE(FileExists(dir_.Win("file.txt")));
  EXPECT_EQ(DeleteFile(dir_.Win("file.txt")).error, ENOENT);
  EXPECT_EQ(DeleteFile(dir_.Win("folder")).error, EISDIR);
  EXPECT_EQ(DeleteFile(u"a.txt").error, kBadPathError);
}

}  // namespace
}  // namespace vant::fs
