// The temporary file's write buffer: bytes come out whole and in order
// whatever the sizes of the writes, and a write error that the buffer held
// back fails the call that wrote the buffer out, leaving no file behind.
#include "upload/temp_upload_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/fs/fault_injection.h"
#include "support/scripted_random.h"
#include "unit/upload/upload_test_env.h"

namespace vant::upload {
namespace {

using testing::Bytes;
using testing::HostPath;
using testing::ReadHostFile;

using TempUploadFileTest = testing::UploadTest;

constexpr std::size_t kBuf = kTempWriteBufferSize;

// Writes `data` in pieces of the given sizes, the last piece taking the rest.
fs::Status WritePieces(TempUploadFile& file, const std::string& data,
                       const std::vector<std::size_t>& sizes) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < sizes.size() && at < data.size(); ++i) {
    const std::size_t n = i + 1 == sizes.size() ? data.size() - at : sizes[i];
    if (const fs::Status status = file.Write(data.data() + at, n); !status.ok()) return status;
    at += n;
  }
  return fs::Status::Ok();
}

TEST_F(TempUploadFileTest, BytesArriveWholeWhateverTheWriteSizes) {
  struct Row {
    const char* name;
    std::size_t total;
    std::vector<std::size_t> sizes;
  };
  const std::vector<Row> rows = {
      {"nothing", 0, {0}},
      {"one byte", 1, {1}},
      {"exactly the buffer", kBuf, {kBuf}},
      {"buffer less one, then two", kBuf + 1, {kBuf - 1, 2}},
      {"larger than the buffer at once", 2 * kBuf + 7, {2 * kBuf + 7}},
      {"small, then larger than the buffer", 3 * kBuf, {10, kBuf + 3, 5}},
      {"chunk heads and kept tails", 40 * 16384, {16384 - 40, 40, 16384 - 40, 40, 16384 - 40}},
      {"empty writes between", 5000, {0, 2500, 0, 2500}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string data = Bytes(row.total, 7);
    std::vector<std::size_t> sizes = row.sizes;
    // Repeat the pattern until it covers the data.
    for (std::size_t covered = 0, i = 0; covered < data.size(); ++i) {
      if (i >= sizes.size()) sizes.push_back(row.sizes[i % row.sizes.size()]);
      covered += sizes[i];
    }
    TempUploadFile file;
    ASSERT_TRUE(file.Create(UploadFolder()).ok());
    ASSERT_TRUE(WritePieces(file, data, sizes).ok());
    ASSERT_TRUE(file.Close().ok());
    const std::string got = ReadHostFile(HostPath(file.Path()));
    EXPECT_EQ(got.size(), data.size());
    EXPECT_TRUE(got == data) << "contents differ";
  }
}

// Write number `failAt` of the file layer fails with ENOSPC; the writes
// before it went through. Which call of TempUploadFile sees the failure
// depends on when the buffer goes out.
TEST_F(TempUploadFileTest, HeldBackWriteErrorFailsTheCallThatFlushed) {
  struct Row {
    const char* name;
    std::vector<std::size_t> sizes;
    int failAt;           // file-layer write that fails
    std::size_t failing;  // index of the TempUploadFile::Write that fails; sizes.size() = Close
  };
  const std::vector<Row> rows = {
      {"small data fails only at close", {100, 200}, 0, 2},
      {"the write that overflows the buffer", {60000, 60000, 60000, 60000, 60000}, 0, 4},
      {"a piece of 64 KB or more goes out at once", {kBuf - 10, 100, 5}, 0, 0},
      {"a later large piece", {kBuf, kBuf - 1, 2, 1}, 1, 1},
      {"a large write past the buffer", {10, 2 * kBuf}, 1, 1},
      {"the rest at close", {kBuf - 10, 100, 5}, 1, 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::u16string path;
    {
      TempUploadFile file;
      ASSERT_TRUE(file.Create(UploadFolder()).ok());
      path = file.Path();
      fs::FaultInjection::FailNthWrite(row.failAt, ENOSPC);
      std::size_t failed = row.sizes.size() + 1;
      for (std::size_t i = 0; i < row.sizes.size() && failed > row.sizes.size(); ++i) {
        const std::string piece = Bytes(row.sizes[i], static_cast<unsigned>(i));
        if (!file.Write(piece.data(), piece.size()).ok()) failed = i;
      }
      if (failed > row.sizes.size()) {
        errno = 0;
        const fs::Status closed = file.Close();
        EXPECT_EQ(closed.error, ENOSPC);
        // The error report reads errno.
        EXPECT_EQ(errno, ENOSPC);
        if (!closed.ok()) failed = row.sizes.size();
      }
      fs::FaultInjection::Reset();
      EXPECT_EQ(failed, row.failing);
    }
    EXPECT_TRUE(FolderFiles().empty()) << "the failed file is deleted";
  }
}

TEST_F(TempUploadFileTest, WriteBeforeCreateOrAfterCloseFails) {
  TempUploadFile file;
  EXPECT_EQ(file.Write("a", 1).error, EBADF);
  ASSERT_TRUE(file.Create(UploadFolder()).ok());
  ASSERT_TRUE(file.Write("abc", 3).ok());
  ASSERT_TRUE(file.Close().ok());
  EXPECT_EQ(file.Write("d", 1).error, EBADF);
  EXPECT_EQ(ReadHostFile(HostPath(file.Path())), "abc");
}

TEST_F(TempUploadFileTest, NoRandomNameFailsWithEio) {
  const test::FailingRandom random;
  TempUploadFile file;
  EXPECT_EQ(file.Create(UploadFolder()).error, EIO);
}

}  // namespace
}  // namespace vant::upload
