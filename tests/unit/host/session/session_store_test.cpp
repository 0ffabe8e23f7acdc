#include "host/session/session_store.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <regex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/scripted_random.h"

namespace vant::host::session {
namespace {

using namespace std::chrono_literals;

struct ClockedStore {
  std::chrono::steady_clock::time_point now = std::chrono::steady_clock::time_point{} + 1h;
  std::vector<std::int32_t> ended;
  SessionStore store{SessionStoreOptions{kDefaultTimeoutMinutes, "", [this] { return now; }}};
  ClockedStore() {
    store.SetOnEnd([this](Session& s) { ended.push_back(s.Id()); });
  }
};

TEST(SessionStore, CookieNameAndValuesLookRight) {
  SessionStore store;
  EXPECT_TRUE(std::regex_match(store.CookieName(), std::regex("ASPSESSIONID[A-Z]{8}")))
      << store.CookieName();
  SessionLease lease = store.Begin("");
  ASSERT_TRUE(lease);
  EXPECT_TRUE(lease.IsNew());
  EXPECT_TRUE(std::regex_match(lease->CookieValue(), std::regex("[A-Z]{28}")))
      << lease->CookieValue();
  const std::string cookie = store.CookieName() + "=" + lease->CookieValue() + "; path=/; HttpOnly";
  EXPECT_EQ(lease.CookieHeader(), cookie);
  EXPECT_EQ(lease.CookieHeader(true), cookie + "; Secure");
}

// Cookie values are the kernel source's bytes read as letters, so one
// client's cookies tell nothing about the next ones.
TEST(SessionStore, CookieValuesAreDrawnFromTheKernelSource) {
  test::ScriptedRandom source;
  SessionStore store;
  const std::string stream = test::ScriptedRandom::Letters(256);
  for (int i = 0; i < 3; ++i) {
    SessionLease lease = store.Begin("");
    const std::string value = lease->CookieValue();
    EXPECT_EQ(value.size(), 28u);
    EXPECT_NE(stream.find(value), std::string::npos) << value;
  }
  EXPECT_GE(source.Calls(), 1);
}

TEST(SessionStore, CookieFindsTheSessionAgainAndUnknownOnesGetANewOne) {
  ClockedStore c;
  std::string value;
  std::int32_t id = 0;
  {
    SessionLease first = c.store.Begin("");
    value = first->CookieValue();
    id = first->Id();
    first->Contents().Set(u"x", Variant::I4(5));
  }
  SessionLease again = c.store.Begin(value);
  EXPECT_FALSE(again.IsNew());
  EXPECT_EQ(again->Id(), id);
  EXPECT_EQ(again->Contents().Get(u"X")->i4(), 5);
  again.Release();
  SessionLease forged = c.store.Begin("AAAAAAAAAAAAAAAAAAAAAAAA");
  EXPECT_TRUE(forged.IsNew());
  EXPECT_NE(forged->CookieValue(), "AAAAAAAAAAAAAAAAAAAAAAAA")
      << "a value the store never issued is not adopted";
  EXPECT_NE(forged->Id(), id);
}

TEST(SessionStore, IdleSessionsExpireAfterTheirTimeout) {
  ClockedStore c;
  std::string shortLived, longLived;
  {
    SessionLease a = c.store.Begin("");
    shortLived = a->CookieValue();
    a->SetTimeoutMinutes(1);
    SessionLease b = c.store.Begin("");
    longLived = b->CookieValue();
  }
  c.now += 59s;
  EXPECT_EQ(c.store.Sweep(), 0u);
  c.now += 2s;
  EXPECT_EQ(c.store.Sweep(), 1u);
  EXPECT_EQ(c.ended.size(), 1u) << "Session_OnEnd ran once";
  EXPECT_EQ(c.store.Count(), 1u);
  // Using a session restarts its idle time.
  c.now += 19min;
  c.store.Begin(longLived).Release();
  c.now += 19min;
  EXPECT_EQ(c.store.Sweep(), 0u);
  c.now += 2min;
  EXPECT_EQ(c.store.Sweep(), 1u);
  EXPECT_TRUE(c.store.Begin(shortLived).IsNew()) << "an ended session is not found again";
}

TEST(SessionStore, ExpiredButUnsweptSessionIsNotResumed) {
  ClockedStore c;
  std::string value;
  {
    SessionLease a = c.store.Begin("");
    value = a->CookieValue();
  }
  c.now += 21min;
  SessionLease b = c.store.Begin(value);
  EXPECT_TRUE(b.IsNew());
  EXPECT_EQ(c.ended.size(), 1u);
}

TEST(SessionStore, SessionInUseIsNotSwept) {
  ClockedStore c;
  SessionLease held = c.store.Begin("");
  c.now += 2h;
  EXPECT_EQ(c.store.Sweep(), 0u);
  EXPECT_FALSE(held->Ended());
}

TEST(SessionStore, AbandonEndsTheSessionWhenThePageLetsGo) {
  ClockedStore c;
  SessionLease lease = c.store.Begin("");
  const std::string value = lease->CookieValue();
  lease->Contents().Set(u"x", Variant::I4(1));
  lease->Abandon();
  EXPECT_TRUE(lease->Contents().Get(u"x")) << "values stay readable until the page ends";
  lease.Release();
  EXPECT_EQ(c.ended.size(), 1u);
  EXPECT_TRUE(c.store.Begin(value).IsNew());
}

TEST(SessionStore, RequestsOfOneSessionRunOneAtATime) {
  SessionStore store;
  SessionLease first = store.Begin("");
  const std::string value = first->CookieValue();
  std::atomic<bool> secondIn{false};
  std::thread second([&] {
    SessionLease lease = store.Begin(value);
    secondIn = true;
  });
  std::this_thread::sleep_for(100ms);
  EXPECT_FALSE(secondIn) << "the second request waits for the first";
  // Another session, and a page without a session, do not wait.
  SessionLease other = store.Begin("");
  EXPECT_NE(other->CookieValue(), value);
  first.Release();
  second.join();
  EXPECT_TRUE(secondIn);
}

TEST(SessionStore, WaiterOfAnAbandonedSessionGetsANewOne) {
  SessionStore store;
  SessionLease first = store.Begin("");
  const std::string value = first->CookieValue();
  first->Abandon();
  std::string secondValue;
  bool secondNew = false;
  std::thread second([&] {
    SessionLease lease = store.Begin(value);
    secondValue = lease->CookieValue();
    secondNew = lease.IsNew();
  });
  std::this_thread::sleep_for(50ms);
  first.Release();
  second.join();
  EXPECT_TRUE(secondNew);
  EXPECT_NE(secondValue, value);
}

TEST(SessionStore, TimeoutLimits) {
  SessionStore store;
  SessionLease lease = store.Begin("");
  for (std::int32_t bad : {0, -5, 1441}) EXPECT_FALSE(lease->SetTimeoutMinutes(bad)) << bad;
  EXPECT_TRUE(lease->SetTimeoutMinutes(1440));
  EXPECT_EQ(lease->TimeoutMinutes(), 1440);
}

TEST(SessionStore, SessionIdsAreDistinct) {
  SessionStore store;
  std::vector<std::int32_t> ids;
  for (int i = 0; i < 50; ++i) ids.push_back(store.Begin("")->Id());
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
}

TEST(ContentsStore, OrderedCaseInsensitive) {
  ContentsStore contents;
  contents.Set(u"Beta", Variant::I4(2));
  contents.Set(u"alpha", Variant::I4(1));
  contents.Set(u"BETA", Variant::I4(3));
  EXPECT_EQ(contents.Count(), 2u);
  EXPECT_EQ(*contents.KeyAt(1), u"Beta") << "a key keeps its place and first spelling";
  EXPECT_EQ(contents.Get(u"beta")->i4(), 3);
  EXPECT_FALSE(contents.KeyAt(0));
  EXPECT_FALSE(contents.KeyAt(3));
  EXPECT_TRUE(contents.RemoveAt(1));
  EXPECT_EQ(*contents.KeyAt(1), u"alpha");
  EXPECT_FALSE(contents.Remove(u"missing"));
  contents.RemoveAll();
  EXPECT_EQ(contents.Count(), 0u);
}

}  // namespace
}  // namespace vant::host::session
