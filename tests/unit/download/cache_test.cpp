#include "download/cache.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/fs/fault_injection.h"
#include "unit/download/component_test_env.h"

namespace vant::download {
namespace {

using vant::testing::TakeReport;
using vant::testing::U8;

class CacheTest : public vant::testing::ComponentTest {
 protected:
  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (const auto& e : cache_.Entries()) keys.push_back(U8(e.key));
    return keys;
  }

  CCache cache_;
};

TEST(CacheKeyTest, UpperCasesAsciiLettersOnly) {
  EXPECT_EQ(CacheKey(u"c:\\Files\\a.zip"), u"C:\\FILES\\A.ZIP");
  EXPECT_EQ(CacheKey(u"c:\\ä\\ß.txt"), u"C:\\ä\\ß.TXT");
}

TEST_F(CacheTest, AddKeepsTheWholeFileByteForByte) {
  const std::string content = vant::testing::Pattern(200000, 1);
  const std::u16string path = MakeFile("a.zip", content);
  ASSERT_EQ(cache_.AddCacheFile(path), S_OK);
  CacheLease lease(cache_, path);
  ASSERT_TRUE(lease);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(lease->content.data()), lease->size),
            content);
  EXPECT_EQ(lease->key, CacheKey(path));
}

// Failures of AddCacheFile and RemoveCacheFile: what is reported, and that
// the table is left as it was.
TEST_F(CacheTest, AddAndRemoveFailures) {
  const std::u16string path = MakeFile("a.zip", "zip");
  std::filesystem::create_directories(Host("dir"));
  ASSERT_EQ(cache_.AddCacheFile(path), S_OK);
  const std::u16string otherCase = CacheKey(path).substr(0, 2) + path.substr(2);
  struct Row {
    const char* what;
    std::function<HRESULT()> call;
    std::string report;
  };
  const Row rows[] = {
      {"same path again", [&] { return cache_.AddCacheFile(path); }, "33|" + U8(CacheKey(path))},
      {"other letter case", [&] { return cache_.AddCacheFile(otherCase); },
       "33|" + U8(CacheKey(path))},
      {"no such file", [&] { return cache_.AddCacheFile(Win("none.zip")); },
       "34|" + U8(CacheKey(Win("none.zip")))},
      {"a folder", [&] { return cache_.AddCacheFile(Win("dir")); },
       "34|" + U8(CacheKey(Win("dir")))},
      {"remove never added", [&] { return cache_.RemoveCacheFile(Win("none.zip")); },
       "34|" + U8(Win("none.zip"))},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.call(), E_FAIL) << row.what;
    EXPECT_EQ(TakeReport(), row.report) << row.what;
    EXPECT_EQ(Keys(), std::vector<std::string>{U8(CacheKey(path))}) << row.what;
  }
}

TEST_F(CacheTest, OpenFailureIsASystemErrorAndAddsNothing) {
  const std::u16string path = MakeFile("a.zip", "zip");
  fs::FaultInjection::FailNthOpen(0, EACCES);
  EXPECT_EQ(cache_.AddCacheFile(path), E_FAIL);
  fs::FaultInjection::Reset();
  EXPECT_EQ(TakeReport(), "63|CCache|AddCacheFile|1");
  EXPECT_TRUE(cache_.Entries().empty());
}

// A removal while a reader holds the entry hides it at once and frees it
// when the reader lets go; until then it still blocks a new add.
TEST_F(CacheTest, RemoveWhileHeldIsPendingUntilRelease) {
  const std::u16string path = MakeFile("a.zip", "zip");
  ASSERT_EQ(cache_.AddCacheFile(path), S_OK);
  {
    CacheLease first(cache_, path);
    CacheLease second(cache_, path);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(cache_.Entries()[0].refCount, 2);
    EXPECT_EQ(cache_.RemoveCacheFile(path), S_OK);
    EXPECT_EQ(cache_.CacheFileExist(path), 0);
    EXPECT_FALSE(CacheLease(cache_, path));
    ASSERT_EQ(cache_.Entries().size(), 1u);
    EXPECT_TRUE(cache_.Entries()[0].removePending);
    EXPECT_EQ(cache_.AddCacheFile(path), E_FAIL);
    EXPECT_EQ(TakeReport(), "33|" + U8(CacheKey(path)));
    // The data stays readable for the readers that hold it.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(first->content.data()), first->size),
              "zip");
  }
  EXPECT_TRUE(cache_.Entries().empty());
  EXPECT_EQ(cache_.AddCacheFile(path), S_OK);
  EXPECT_EQ(cache_.CacheFileExist(path), 1);
}

TEST_F(CacheTest, RemoveWithoutReadersFreesAtOnce) {
  const std::u16string a = MakeFile("a.zip", "a");
  const std::u16string b = MakeFile("b.zip", "b");
  const std::u16string c = MakeFile("c.zip", "c");
  for (const auto& p : {a, b, c}) ASSERT_EQ(cache_.AddCacheFile(p), S_OK);
  EXPECT_EQ(cache_.RemoveCacheFile(CacheKey(b)), S_OK);
  EXPECT_EQ(Keys(), (std::vector<std::string>{U8(CacheKey(a)), U8(CacheKey(c))}));
}

TEST_F(CacheTest, DropsFromOtherHostsKeepHeldEntriesUntilReleaseAndReportNothing) {
  const std::u16string a = MakeFile("a.zip", "a");
  const std::u16string b = MakeFile("b.zip", "b");
  const std::u16string c = MakeFile("c.zip", "c");
  for (const auto& p : {a, b, c}) ASSERT_EQ(cache_.AddCacheFile(p), S_OK);
  cache_.DropCacheFile(CacheKey(u"never-added.zip"));
  EXPECT_EQ(TakeReport(), "<none>") << "a drop of an unknown key reports nothing";
  cache_.DropCacheFile(CacheKey(a));
  EXPECT_EQ(Keys(), (std::vector<std::string>{U8(CacheKey(b)), U8(CacheKey(c))}));
  {
    CacheLease held(cache_, b);
    cache_.DropAll();
    EXPECT_EQ(Keys(), std::vector<std::string>{U8(CacheKey(b))}) << "only the held entry stays";
    EXPECT_EQ(cache_.CacheFileExist(b), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(held->content.data()), held->size), "b");
  }
  EXPECT_TRUE(cache_.Entries().empty());
}

TEST_F(CacheTest, ReleaseOfAnUnknownEntryChangesNothing) {
  CacheEntry stranger;
  EXPECT_EQ(cache_.ReleaseCacheFile(&stranger), 0);
  EXPECT_EQ(cache_.ReleaseCacheFile(nullptr), 0);
}

TEST_F(CacheTest, NoDescriptorLeaks) {
  const std::u16string path = MakeFile("a.zip", vant::testing::Pattern(70000));
  const int before = vant::testing::OpenDescriptorCount();
  for (int i = 0; i < 10; ++i) {
    ASSERT_EQ(cache_.AddCacheFile(path), S_OK);
    EXPECT_EQ(cache_.AddCacheFile(path), E_FAIL);
    ASSERT_EQ(cache_.RemoveCacheFile(path), S_OK);
  }
  TakeReport();
  EXPECT_EQ(vant::testing::OpenDescriptorCount(), before);
}

}  // namespace
}  // namespace vant::download
