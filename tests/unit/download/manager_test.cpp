#include "download/manager.h"

#include <gtest/gtest.h>

#include "support/fake_host.h"
#include "unit/download/component_test_env.h"

namespace vant::download {
namespace {

using vant::testing::TakeReport;
using vant::testing::U8;

class ManagerTest : public vant::testing::ComponentTest {
 protected:
  void SetUp() override {
    ComponentTest::SetUp();
    host_.SetSiteRoot(vant::testing::WinPath(root_));
    ASSERT_EQ(manager_->OnStartPage(host_.ScriptingContext().get()), S_OK);
  }

  // What a script's Enumerator over Manager yields.
  std::vector<std::string> Enumerate() {
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(manager_->get__NewEnum(unknown.Receive()), S_OK);
    ComPtr<IEnumVARIANT> items;
    EXPECT_EQ(unknown.As(IID_IEnumVARIANT, &items), S_OK);
    std::vector<std::string> keys;
    Variant item;
    std::uint32_t fetched = 0;
    while (items->Next(1, &item, &fetched) == S_OK && fetched == 1) {
      keys.push_back(U8(item.bstr().view()));
    }
    return keys;
  }

  test::FakeHost host_;
  CCache cache_;
  ComPtr<CManager> manager_ = CManager::Create(cache_);
};

TEST_F(ManagerTest, StartNeedsAContext) {
  auto manager = CManager::Create(cache_);
  EXPECT_EQ(manager->OnStartPage(nullptr), E_POINTER);
  EXPECT_EQ(manager->get__NewEnum(nullptr), E_POINTER);
}

// Keys are the upper-cased physical paths in the order of addition, virtual
// paths mapped first, entries pending removal still listed.
TEST_F(ManagerTest, EnumeratesKeysInOrderWithPendingEntries) {
  EXPECT_TRUE(Enumerate().empty());
  MakeFile("files/b.zip", "b");
  const std::u16string a = MakeFile("a.zip", "a");
  ASSERT_EQ(manager_->AddCacheFile(Bstr(a)), S_OK);
  ASSERT_EQ(manager_->AddCacheFile(u"/files/b.zip"), S_OK);
  const std::string keyA = U8(CacheKey(a));
  const std::string keyB = U8(CacheKey(Win("files\\b.zip")));
  EXPECT_EQ(Enumerate(), (std::vector<std::string>{keyA, keyB}));
  {
    CacheLease reader(cache_, a);
    ASSERT_EQ(manager_->RemoveCacheFile(Bstr(a)), S_OK);
    EXPECT_EQ(Enumerate(), (std::vector<std::string>{keyA, keyB}));
  }
  EXPECT_EQ(Enumerate(), std::vector<std::string>{keyB});
  ASSERT_EQ(manager_->RemoveCacheFile(u"/files/b.zip"), S_OK);
  EXPECT_TRUE(Enumerate().empty());
}

// Without a Server object a virtual path stays unmapped, and the cache
// reports that no file is there.
TEST_F(ManagerTest, VirtualPathWithoutServer) {
  auto manager = CManager::Create(cache_);
  EXPECT_EQ(manager->AddCacheFile(u"/files/a.zip"), E_FAIL);
  EXPECT_EQ(TakeReport(), "34|/FILES/A.ZIP");
  EXPECT_TRUE(cache_.Entries().empty());
}

TEST_F(ManagerTest, CreatableThroughTheClassCreator) {
  ComPtr<IManager> manager;
  EXPECT_EQ(CreateManager(IManager::kIid, manager.ReceiveVoid()), S_OK);
  ASSERT_TRUE(manager);
  ComPtr<ISupportErrorInfo> support;
  ASSERT_EQ(manager.As(IID_ISupportErrorInfo, &support), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IManager::kIid), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
}

}  // namespace
}  // namespace vant::download
