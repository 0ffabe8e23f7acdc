#include "host/http/socket_faults.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "http_test_support.h"

namespace vant::host::http {
namespace {

using testing::RawClient;
using testing::TempSite;
using testing::TestServer;

constexpr std::size_t kPull = 16 * 1024;
constexpr std::size_t kBodyBytes = 2 * 1024 * 1024;

TEST(SocketFaults, ArmTakesOnlySocketKinds) {
  const struct {
    const char* kind;
    bool taken;
  } rows[] = {{"accept", true},       {"header-read", true}, {"body-read", true},
              {"socket-write", true}, {"write", false},      {"read", false}};
  for (const auto& row : rows) {
    EXPECT_EQ(SocketFaults::Arm({row.kind, 5, EPIPE}), row.taken) << row.kind;
  }
  SocketFaults::Reset();
}

TEST(SocketFaults, ReadsOutsideARequestNeverCount) {
  SocketFaults::FailNthBodyRead(1, ECONNRESET);
  EXPECT_EQ(SocketFaults::OnRead(false), 0);
  EXPECT_EQ(SocketFaults::OnRead(true), 0);
  EXPECT_EQ(SocketFaults::OnRead(false), 0);
  EXPECT_EQ(SocketFaults::OnRead(true), ECONNRESET);
  EXPECT_EQ(SocketFaults::OnRead(true), 0);
}

class SocketFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.Add("p.asp", "");
    ASSERT_TRUE(server_.Started());
    // Pulls the whole body and answers with what it saw.
    server_.pages.body = [](Exchange& ex, const std::string&, const std::string&) {
      std::vector<std::uint8_t> buf(kPull);
      std::size_t got = 0;
      while (const std::size_t n = ex.ReadBody(buf.data(), buf.size())) got += n;
      ex.Write((ex.BodyFailed() ? "failed " : "whole ") + std::to_string(got));
    };
  }
  void TearDown() override { SocketFaults::Reset(); }

  // Posts kBodyBytes on a fresh connection; the response, if one arrived.
  std::optional<testing::Response> Post() {
    RawClient c(server_.Port());
    std::string request =
        "POST /p.asp HTTP/1.1\r\nHost: t\r\nContent-Length: " + std::to_string(kBodyBytes) +
        "\r\n\r\n" + std::string(kBodyBytes, 'x');
    std::thread sender([&] { c.Send(request); });
    auto r = c.Read();
    ::shutdown(c.fd(), SHUT_RDWR);  // unblocks a sender the server stopped reading
    sender.join();
    return r;
  }

  TempSite site_;
  TestServer server_{site_, [](HostOptions& o) { o.maxBody = 8 * 1024 * 1024; }};
};

TEST_F(SocketFaultTest, ResetMidBodyFailsTheReadThenTheHostServesOn) {
  for (const int n : {0, 1, 5}) {
    SocketFaults::FailNthBodyRead(n, ECONNRESET);
    const auto failed = Post();
    ASSERT_TRUE(failed) << "n=" << n;
    EXPECT_EQ(failed->body.rfind("failed ", 0), 0u) << "n=" << n << " got " << failed->body;
    const auto next = Post();
    ASSERT_TRUE(next) << "n=" << n;
    EXPECT_EQ(next->body, "whole " + std::to_string(kBodyBytes)) << "n=" << n;
  }
}

TEST_F(SocketFaultTest, HeaderReadsDoNotUseUpTheBodyFault) {
  SocketFaults::FailNthBodyRead(0, ECONNRESET);
  RawClient c(server_.Port());
  const auto get = c.Request("GET /p.asp HTTP/1.1\r\nHost: t\r\n\r\n");
  ASSERT_TRUE(get);
  EXPECT_EQ(get->body, "whole 0");
  const auto post = Post();
  ASSERT_TRUE(post);
  EXPECT_EQ(post->body.rfind("failed ", 0), 0u) << post->body;
}

TEST_F(SocketFaultTest, FailedWriteDropsTheConnectionNotTheHost) {
  site_.Add("big.bin", std::string(kBodyBytes, 'b'));
  // A page's writes run on a worker; a file's header write and sendfile
  // pieces run on the I/O threads.
  const struct {
    const char* target;
    int n;
  } rows[] = {{"/p.asp", 0}, {"/big.bin", 0}, {"/big.bin", 1}, {"/big.bin", 3}};
  for (const auto& row : rows) {
    SocketFaults::FailNthWrite(row.n, EPIPE);
    RawClient c(server_.Port());
    EXPECT_FALSE(c.Request(std::string("GET ") + row.target + " HTTP/1.1\r\nHost: t\r\n\r\n"))
        << row.target << " n=" << row.n;
    c.ReadFor(200);  // what arrived before the failed write
    EXPECT_TRUE(c.ServerClosed()) << row.target << " n=" << row.n;
    RawClient again(server_.Port());
    const auto next = again.Request("GET /p.asp HTTP/1.1\r\nHost: t\r\n\r\n");
    ASSERT_TRUE(next) << row.target << " n=" << row.n;
    EXPECT_EQ(next->body, "whole 0");
  }
}

}  // namespace
}  // namespace vant::host::http
