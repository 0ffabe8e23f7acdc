#include "host/http/connection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>

#include "http_test_support.h"

namespace vant::host::http {
namespace {

using testing::RawClient;
using testing::TempSite;
using testing::TestServer;

TEST(Connection, TraversalNeverLeavesTheSite) {
  TempSite outside;
  outside.Add("secret.txt", "SECRET");
  TempSite site;
  site.Add("a/inside.txt", "inside");
  TestServer server(site);
  ASSERT_TRUE(server.Started());
  const std::string escape =
      "/../" + outside.Root().substr(outside.Root().rfind('/') + 1) + "/secret.txt";
  const struct {
    std::string target;
    int status;
  } rows[] = {
      {escape, 400},
      {"/a/../../etc/passwd", 400},
      {"/%2e%2e/%2e%2e/etc/passwd", 400},
      {"/a/%2E%2E/%2e%2e/etc/passwd", 400},
      {"/a%2f..%2f..%2fetc%2fpasswd", 404},
      {"/a/inside.txt%00.png", 400},
      {"/a%5c..%5c..%5cetc%5cpasswd", 404},
      {"/a/../a/inside.txt", 200},
  };
  for (const auto& row : rows) {
    const auto r = server.Get(row.target);
    ASSERT_TRUE(r) << row.target;
    EXPECT_EQ(r->status, row.status) << row.target;
    EXPECT_EQ(r->body.find("SECRET"), std::string::npos) << row.target;
    EXPECT_EQ(r->body.find("root:"), std::string::npos) << row.target;
  }
}

TEST(Connection, FoldersAndServerSideFiles) {
  TempSite site;
  site.Add("app/default.asp", "");
  site.Add("docs/index.html", "docs index");
  site.AddFolder("bare");
  site.Add("global.asa", "<script>secret</script>");
  site.Add("inc/db.inc", "secret");
  TestServer server(site);
  ASSERT_TRUE(server.Started());
  const struct {
    const char* target;
    int status;
    const char* body;  // expected substring
  } rows[] = {
      {"/app/", 200, "page /app/default.asp"},
      {"/docs/", 200, "docs index"},
      {"/bare/", 403, "403"},
      {"/global.asa", 404, "404"},
      {"/inc/db.inc", 404, "404"},
      {"/nothing.html", 404, "404"},
  };
  for (const auto& row : rows) {
    const auto r = server.Get(row.target);
    ASSERT_TRUE(r) << row.target;
    EXPECT_EQ(r->status, row.status) << row.target;
    EXPECT_NE(r->body.find(row.body), std::string::npos) << row.target << ": " << r->body;
    EXPECT_EQ(r->body.find("secret"), std::string::npos) << row.target;
  }
  const auto redirect = server.Get("/docs?x=1");
  ASSERT_TRUE(redirect);
  EXPECT_EQ(redirect->status, 301);
  EXPECT_EQ(redirect->Header("Location").value_or(""), "/docs/?x=1");
}

TEST(Connection, KeepAliveCarriesSeveralRequests) {
  TempSite site;
  site.Add("a.txt", "A");
  site.Add("p.asp", "");
  TestServer server(site);
  ASSERT_TRUE(server.Started());
  RawClient c(server.Port());
  const auto first = c.Request("GET /a.txt HTTP/1.1\r\nHost: t\r\n\r\n");
  const auto second = c.Request("GET /p.asp HTTP/1.1\r\nHost: t\r\n\r\n");
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->body, "A");
  EXPECT_EQ(second->body, "page /p.asp");
  // Pipelined: both requests in one send.
  c.Send(
      "GET /a.txt HTTP/1.1\r\nHost: t\r\n\r\nGET /a.txt HTTP/1.1\r\nHost: t\r\nConnection: "
      "close\r\n\r\n");
  const auto third = c.Read();
  const auto fourth = c.Read();
  ASSERT_TRUE(third && fourth);
  EXPECT_EQ(fourth->Header("Connection").value_or(""), "close");
  EXPECT_TRUE(c.ServerClosed());
}

TEST(Connection, Http10KeepAliveOnlyWhenAsked) {
  TempSite site;
  site.Add("a.txt", "A");
  TestServer server(site);
  ASSERT_TRUE(server.Started());
  RawClient plain(server.Port());
  ASSERT_TRUE(plain.Request("GET /a.txt HTTP/1.0\r\n\r\n"));
  EXPECT_TRUE(plain.ServerClosed());
  RawClient kept(server.Port());
  const auto r = kept.Request("GET /a.txt HTTP/1.0\r\nConnection: keep-alive\r\n\r\n");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Header("Connection").value_or(""), "keep-alive");
  EXPECT_TRUE(kept.Request("GET /a.txt HTTP/1.0\r\n\r\n"));
}

TEST(Connection, StalledClientIsCutOff) {
  TempSite site;
  site.Add("p.asp", "");
  TestServer server(site, [](HostOptions& o) { o.idleTimeout = std::chrono::milliseconds(200); });
  ASSERT_TRUE(server.Started());
  bool failed = false;
  std::size_t got = 0;
  server.pages.body = [&](Exchange& ex, const std::string&, const std::string&) {
    std::uint8_t buf[100];
    got = ex.ReadBody(buf, sizeof buf);
    failed = ex.BodyFailed();
  };
  RawClient c(server.Port());
  const auto start = std::chrono::steady_clock::now();
  c.Send("POST /p.asp HTTP/1.1\r\nHost: t\r\nContent-Length: 100\r\n\r\nonly-part");
  EXPECT_TRUE(c.ServerClosed(1500));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_LT(waited, std::chrono::milliseconds(1000));
  server.server().Stop(std::chrono::seconds(1));  // the page has returned
  EXPECT_TRUE(failed);
  EXPECT_EQ(got, 9u);
}

TEST(Connection, RequestDeadlineCutsABusyTrickle) {
  TempSite site;
  site.Add("p.asp", "");
  TestServer server(site,
                    [](HostOptions& o) { o.requestTimeout = std::chrono::milliseconds(300); });
  ASSERT_TRUE(server.Started());
  server.pages.body = [](Exchange& ex, const std::string&, const std::string&) {
    std::uint8_t buf[1000];
    while (ex.ReadBody(buf, sizeof buf) > 0) {
    }
  };
  RawClient c(server.Port());
  c.Send("POST /p.asp HTTP/1.1\r\nHost: t\r\nContent-Length: 1000\r\n\r\n");
  bool cut = false;
  for (int i = 0; i < 40 && !cut; ++i) {  // a byte every 50 ms keeps the idle clock happy
    cut = !c.Send("x") || c.ServerClosed(50);
  }
  EXPECT_TRUE(cut);
}

TEST(Connection, BadRequestsAndThrowingPages) {
  TempSite site;
  site.Add("p.asp", "");
  TestServer server(site);
  ASSERT_TRUE(server.Started());
  server.pages.body = [](Exchange&, const std::string&, const std::string&) {
    throw std::runtime_error("page failed");
  };
  const auto thrown = server.Get("/p.asp");
  ASSERT_TRUE(thrown);
  EXPECT_EQ(thrown->status, 500);
  RawClient garbage(server.Port());
  const auto bad = garbage.Request("NOT A REQUEST\r\n\r\n");
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->status, 400);
  RawClient huge(server.Port());
  const auto big = huge.Request("GET / HTTP/1.1\r\nX: " + std::string(70000, 'a') + "\r\n\r\n");
  ASSERT_TRUE(big);
  EXPECT_EQ(big->status, 431);
}

TEST(Connection, StopLetsTheRunningRequestFinish) {
  TempSite site;
  site.Add("p.asp", "");
  TestServer server(site);
  ASSERT_TRUE(server.Started());
  std::atomic<bool> entered{false};
  server.pages.body = [&](Exchange& ex, const std::string&, const std::string&) {
    entered = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ex.Write("finished");
  };
  RawClient idle(server.Port());  // connected, never sends: closed at stop
  RawClient busy(server.Port());
  busy.Send("GET /p.asp HTTP/1.1\r\nHost: t\r\n\r\n");
  while (!entered) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(server.server().Stop(std::chrono::seconds(2)));
  const auto r = busy.Read();
  ASSERT_TRUE(r);
  EXPECT_EQ(r->body, "finished");
  EXPECT_EQ(r->Header("Connection").value_or(""), "");
  EXPECT_TRUE(busy.ServerClosed());
  EXPECT_TRUE(idle.ServerClosed());
  RawClient late(server.Port());
  EXPECT_FALSE(late.Connected());
}

TEST(Connection, FilesAndWaitingConnectionsTakeNoWorker) {
  TempSite site;
  site.Add("a.txt", std::string(300 * 1024, 'a'));
  site.Add("p.asp", "");
  TestServer server(site);
  ASSERT_TRUE(server.Started());
  RawClient idle(server.Port());
  RawClient slowHeader(server.Port());
  slowHeader.Send("GET /a.txt HTTP/1.1\r\nHost: t\r\n");
  RawClient c(server.Port());
  const auto whole = c.Request("GET /a.txt HTTP/1.1\r\nHost: t\r\n\r\n");
  const auto part = c.Request("GET /a.txt HTTP/1.1\r\nHost: t\r\nRange: bytes=-5\r\n\r\n");
  const auto head = c.Request("HEAD /a.txt HTTP/1.1\r\nHost: t\r\n\r\n", true);
  ASSERT_TRUE(whole && part && head);
  EXPECT_EQ(whole->body.size(), 300u * 1024);
  EXPECT_EQ(part->status, 206);
  EXPECT_EQ(head->Header("Content-Length").value_or(""), std::to_string(300 * 1024));
  EXPECT_EQ(server.server().Workers().workers, 0u)
      << "a file or a waiting connection took a worker";
  EXPECT_EQ(server.server().OpenConnections(), 3u);
  EXPECT_NE(server.LogText().find("GET /a.txt HTTP/1.1\" 206 5 "), std::string::npos)
      << server.LogText();
}

// Short pages run on the I/O threads; with all of them inside pages that
// block, the network is still served: a file answered, a page run by a worker.
TEST(Connection, PagesThatBlockEveryIoThreadLeaveTheNetworkServed) {
  TempSite site;
  site.Add("a.txt", "file");
  site.Add("p.asp", "");
  site.Add("q.asp", "");
  // Outlive the server: requests still queued run after a failed assertion.
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> blocked{0};
  TestServer server(site, [](HostOptions& o) { o.threads = 16; });
  ASSERT_TRUE(server.Started());
  server.pages.body = [&](Exchange& ex, const std::string&, const std::string& path) {
    if (path.find("p.asp") != std::string::npos) {
      ++blocked;
      released.wait();
    }
    ex.Write("ran");
  };
  struct ReleaseAtEnd {
    std::promise<void>& p;
    ~ReleaseAtEnd() { p.set_value(); }
  } releaseAtEnd{release};
  constexpr int kBlocking = 8;  // more than there are I/O threads
  std::vector<std::unique_ptr<RawClient>> holders;
  for (int i = 0; i < kBlocking; ++i) {
    holders.push_back(std::make_unique<RawClient>(server.Port()));
    holders.back()->Send("GET /p.asp HTTP/1.1\r\nHost: t\r\n\r\n");
  }
  for (int i = 0; i < 400 && blocked < kBlocking; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(blocked, kBlocking);
  EXPECT_GT(server.server().Workers().here, 0u) << "no page ran on an I/O thread";
  RawClient c(server.Port());
  const auto file = c.Request("GET /a.txt HTTP/1.1\r\nHost: t\r\n\r\n");
  ASSERT_TRUE(file) << "a file waited for the pages";
  EXPECT_EQ(file->body, "file");
  const auto page = c.Request("GET /q.asp HTTP/1.1\r\nHost: t\r\n\r\n");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->body, "ran");
}

}  // namespace
}  // namespace vant::host::http
