#include "host/intrinsics/application_object.h"

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "host/session/session_store.h"
#include "unit/host/intrinsics/page_fixture.h"

namespace vant::test {
namespace {

// True when another thread can take the Application lock right now.
bool LockIsFree(host::session::ApplicationState& application) {
  bool free = false;
  std::thread([&] {
    free = application.lock.try_lock();
    if (free) application.lock.unlock();
  }).join();
  return free;
}

TEST(ApplicationObject, LocksAreCumulativeAndReleasedAtPageEnd) {
  PageFixture page;
  page.Start();
  IDispatch* app = page.objects.application.get();
  Call(app, u"Lock");
  Call(app, u"Lock");
  Call(app, u"Unlock");
  EXPECT_FALSE(LockIsFree(page.application)) << "two Locks need two Unlocks";
  page.page->EndPage();
  EXPECT_TRUE(LockIsFree(page.application)) << "the page end gives back what is left";
}

TEST(ApplicationObject, LockGivesUpAtTheScriptTimeout) {
  PageFixture holder;
  holder.Start();
  Call(holder.objects.application.get(), u"Lock");
  std::atomic<HRESULT> waited{S_OK};
  std::thread([&] {
    FakeExchange exchange;
    host::intrinsics::SiteConfig site{"/srv/site"};
    site.scriptTimeoutSeconds = 1;
    auto waiter = host::intrinsics::PageIntrinsics::Create(exchange, site, {"/w.asp", 0, 0}, {},
                                                           holder.application, nullptr);
    HRESULT hr = S_OK;
    Call(waiter->Objects().application.get(), u"Lock", {}, DISPATCH_METHOD, &hr);
    waited = hr;
  }).join();
  EXPECT_TRUE(Failed(waited.load()));
  holder.page->EndPage();
}

TEST(ApplicationObject, ContentsAreSharedAndKeyedWithoutCase) {
  PageFixture a;
  a.Start();
  Put(a.objects.application.get(), u"", {Str(u"Counter"), Variant::I4(1)});
  EXPECT_EQ(Call(a.objects.application.get(), u"", {Str(u"counter")}).i4(), 1);
  Variant contents = Call(a.objects.application.get(), u"Contents");
  EXPECT_EQ(Call(contents.dispatch(), u"Count").i4(), 1);
  EXPECT_EQ(Text(Call(contents.dispatch(), u"Key", {Variant::I4(1)})), "Counter");
  Call(contents.dispatch(), u"Remove", {Str(u"COUNTER")});
  EXPECT_TRUE(Call(a.objects.application.get(), u"", {Str(u"Counter")}).IsEmpty());
}

TEST(SessionObject, PageWithASession) {
  host::session::SessionStore store;
  PageFixture page;
  page.Start(store.Begin(""));
  ASSERT_TRUE(page.objects.session);
  IDispatch* session = page.objects.session.get();
  EXPECT_EQ(Call(session, u"Timeout").i4(), 20);
  EXPECT_EQ(Call(session, u"CodePage").i4(), 65001)
      << "the directive's code page until the session sets one";
  Put(session, u"", {Str(u"x"), Str(u"v")});
  EXPECT_EQ(Text(Call(session, u"", {Str(u"X")})), "v");
  Put(session, u"CodePage", {Variant::I4(1252)});
  EXPECT_EQ(page.page->CodePage(), 1252u) << "Session.CodePage outranks the directive";
  HRESULT hr = S_OK;
  Put(session, u"Timeout", {Variant::I4(0)}, &hr);
  EXPECT_EQ(hr, E_INVALIDARG);
  const auto cookie = page.exchange.Header("Set-Cookie");
  ASSERT_EQ(cookie.size(), 1u);
  EXPECT_EQ(cookie[0].rfind(store.CookieName() + "=", 0), 0u) << cookie[0];
  Call(session, u"Abandon");
  page.page->EndPage();
  EXPECT_EQ(store.Count(), 0u) << "abandoned sessions end with their page";
}

TEST(SessionObject, SessionlessPageHasNoSession) {
  PageFixture page;
  page.Start();
  EXPECT_FALSE(page.objects.session);
  ComPtr<host::ISessionObject> session;
  EXPECT_TRUE(Failed(page.page->ScriptingContext()->get_Session(session.Receive())));
  EXPECT_TRUE(page.exchange.Header("Set-Cookie").empty());
}

}  // namespace
}  // namespace vant::test
