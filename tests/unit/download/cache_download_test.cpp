// Downloads served from the cache, alone and from many threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

#include "download/file_download.h"
#include "unit/download/download_test_env.h"

namespace vant::download {
namespace {

using testing::DownloadTest;
using testing::TakeReport;

using CacheDownloadTest = DownloadTest;

// A cached file is sent from memory with its cached length, in chunks of
// 65,536 bytes without a trailing empty write, and the entry is given back.
TEST_F(CacheDownloadTest, SentFromMemoryAndReleased) {
  struct Row {
    std::size_t size;
    const char16_t* range;
    std::vector<std::size_t> writes;
  };
  const Row rows[] = {
      {0, nullptr, {}},
      {100, nullptr, {100}},
      {65537, nullptr, {65536, 1}},
      {131072, nullptr, {65536, 65536}},
      {131072, u"bytes=65536-", {65536}},
      {131072, u"bytes=131072-", {}},
  };
  for (const Row& row : rows) {
    const std::string cached = vant::testing::Pattern(row.size, 2);
    const std::u16string path = MakeFile("c.bin", cached);
    ASSERT_EQ(cache_.AddCacheFile(path), S_OK);
    // The disk copy changes; the cached one is what goes out.
    MakeFile("c.bin", "changed on disk");
    test::FakeHost host;
    if (row.range != nullptr) host.SetServerVariable(u"HTTP_RANGE", row.range);
    auto download = CFileDownload::Create(cache_);
    ASSERT_EQ(download->OnStartPage(host.ScriptingContext().get()), S_OK);
    EXPECT_EQ(download->Download(path, u"", VARIANT_FALSE, VARIANT_TRUE), S_OK) << row.size;
    EXPECT_EQ(host.BinaryWriteSizes(), row.writes) << row.size;
    const std::size_t sent = host.Output().size();
    EXPECT_EQ(host.Output(), cached.substr(row.size - sent)) << row.size;
    ASSERT_EQ(cache_.Entries().size(), 1u);
    EXPECT_EQ(cache_.Entries()[0].refCount, 0) << row.size;
    ASSERT_EQ(cache_.RemoveCacheFile(path), S_OK);
  }
}

TEST_F(CacheDownloadTest, ClientGoneReleasesTheEntry) {
  const std::u16string path = MakeFile("c.bin", vant::testing::Pattern(3 * 65536));
  ASSERT_EQ(cache_.AddCacheFile(path), S_OK);
  host_.DisconnectFrom(1);
  EXPECT_EQ(download_->Download(path, u"", VARIANT_FALSE, VARIANT_FALSE), E_FAIL);
  EXPECT_EQ(TakeReport(), "55");
  EXPECT_EQ(host_.EndCount(), 1);
  EXPECT_EQ(host_.BinaryWriteSizes(), std::vector<std::size_t>{65536});
  EXPECT_EQ(cache_.Entries()[0].refCount, 0);
}

// The disk is asked first: a cached file deleted from disk is not found.
TEST_F(CacheDownloadTest, DeletedFromDiskIsNotFound) {
  const std::u16string path = MakeFile("c.bin", "abc");
  ASSERT_EQ(cache_.AddCacheFile(path), S_OK);
  std::filesystem::remove(Host("c.bin"));
  EXPECT_EQ(download_->Download(path, u"", VARIANT_FALSE, VARIANT_FALSE), E_FAIL);
  EXPECT_EQ(TakeReport(), "53|" + vant::testing::U8(path));
  EXPECT_EQ(cache_.Entries()[0].refCount, 0);
}

// Many request threads adding, downloading and removing the same files:
// every download is byte-identical to the file, from memory or from disk,
// and every count is back to zero at the end. Run under ThreadSanitizer too.
TEST_F(CacheDownloadTest, ManyThreads) {
  constexpr int kFiles = 3;
  constexpr int kThreads = 8;
  constexpr int kRounds = 150;
  std::vector<std::string> contents;
  std::vector<std::u16string> paths;
  for (int i = 0; i < kFiles; ++i) {
    contents.push_back(vant::testing::Pattern(70000 + i * 1000, i));
    paths.push_back(MakeFile("f" + std::to_string(i) + ".bin", contents.back()));
  }
  std::atomic<int> mismatches{0};
  auto worker = [&](unsigned seed) {
    std::mt19937 random(seed);
    for (int round = 0; round < kRounds; ++round) {
      const int file = static_cast<int>(random() % kFiles);
      switch (random() % 4) {
        case 0:
          (void)cache_.AddCacheFile(paths[file]);
          break;
        case 1:
          (void)cache_.RemoveCacheFile(paths[file]);
          break;
        default: {
          test::FakeHost host;
          auto download = CFileDownload::Create(cache_);
          if (download->OnStartPage(host.ScriptingContext().get()) != S_OK ||
              download->Download(paths[file], u"", VARIANT_FALSE, VARIANT_FALSE) != S_OK ||
              host.Output() != contents[file]) {
            ++mismatches;
          }
        }
      }
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(worker, 1000u + t);
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(mismatches.load(), 0);
  for (const auto& entry : cache_.Entries()) {
    EXPECT_EQ(entry.refCount, 0);
    EXPECT_FALSE(entry.removePending);
  }
}

}  // namespace
}  // namespace vant::download
