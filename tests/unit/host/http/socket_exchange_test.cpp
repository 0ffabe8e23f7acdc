#include "host/http/detail/socket_exchange.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "http_test_support.h"

namespace vant::host::http {
namespace {

using testing::RawClient;
using testing::TempSite;
using testing::TestServer;

constexpr std::size_t kPull = 16 * 1024;

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
  return s;
}

std::string Chunked(const std::string& body, std::size_t piece) {
  std::string out;
  char size[32];
  for (std::size_t at = 0; at < body.size(); at += piece) {
    const std::size_t n = std::min(piece, body.size() - at);
    std::snprintf(size, sizeof size, "%zx\r\n", n);
    out += size + body.substr(at, n) + "\r\n";
  }
  return out + "0\r\n\r\n";
}

class ExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.Add("p.asp", "");
    ASSERT_TRUE(server_.Started());
  }
  // A page that pulls the body in 16 KB pieces and echoes what it saw.
  void EchoBodyPage() {
    server_.pages.body = [this](Exchange& ex, const std::string&, const std::string&) {
      std::string got;
      std::vector<std::uint8_t> buf(kPull);
      pulls_ = 0;
      while (const std::size_t n = ex.ReadBody(buf.data(), buf.size())) {
        got.append(reinterpret_cast<const char*>(buf.data()), n);
        ++pulls_;
      }
      failed_ = ex.BodyFailed();
      total_ = ex.TotalBytes();
      chunked_ = ex.BodyIsChunked();
      received_ = got;
      ex.Write("ok");
    };
  }
  TempSite site_;
  TestServer server_{site_, [](HostOptions& o) { o.maxBody = 8 * 1024 * 1024; }};
  std::string received_;
  int pulls_ = 0;
  bool failed_ = false;
  bool chunked_ = false;
  std::uint64_t total_ = 0;
};

TEST_F(ExchangeTest, RequestHeadIsExposed) {
  RequestHead seen;
  server_.pages.body = [&](Exchange& ex, const std::string&, const std::string&) {
    seen = ex.Request();
  };
  RawClient c(server_.Port());
  ASSERT_TRUE(c.Request("GET /p.asp?a=%20b&c HTTP/1.0\r\nX-One: 1\r\nx-ONE: 2\r\nHost: h\r\n\r\n"));
  EXPECT_EQ(seen.method, "GET");
  EXPECT_EQ(seen.target, "/p.asp?a=%20b&c");
  EXPECT_EQ(seen.path, "/p.asp");
  EXPECT_EQ(seen.queryString, "a=%20b&c");
  EXPECT_EQ(seen.version, 10u);
  EXPECT_EQ(seen.Protocol(), "HTTP/1.0");
  ASSERT_EQ(seen.headers.size(), 3u);
  EXPECT_EQ(seen.headers[1].name, "x-ONE");  // spelled as sent, in order
  EXPECT_EQ(seen.Header("X-ONE").value_or(""), "1, 2");
  EXPECT_FALSE(seen.Header("Missing").has_value());
  EXPECT_EQ(seen.remote.address, "127.0.0.1");
  EXPECT_NE(seen.remote.port, 0);
  EXPECT_EQ(seen.local.port, server_.Port());
}

TEST_F(ExchangeTest, BodiesArriveByteExactInPulls) {
  EchoBodyPage();
  const std::string body = Pattern(5 * 1024 * 1024 + 123);
  const struct {
    const char* name;
    bool chunked;
  } rows[] = {{"content-length", false}, {"chunked", true}};
  for (const auto& row : rows) {
    RawClient c(server_.Port());
    std::string request = "POST /p.asp HTTP/1.1\r\nHost: t\r\n";
    request += row.chunked ? "Transfer-Encoding: chunked\r\n\r\n" + Chunked(body, 10000)
                           : "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    std::thread sender([&] { c.Send(request); });
    const auto r = c.Read();
    sender.join();
    ASSERT_TRUE(r) << row.name;
    EXPECT_EQ(r->body, "ok") << row.name;
    EXPECT_FALSE(failed_) << row.name;
    EXPECT_EQ(received_.size(), body.size()) << row.name;
    EXPECT_TRUE(received_ == body) << row.name;
    EXPECT_EQ(pulls_, static_cast<int>((body.size() + kPull - 1) / kPull)) << row.name;
    EXPECT_EQ(total_, body.size()) << row.name;
    EXPECT_EQ(chunked_, row.chunked) << row.name;
  }
}

TEST_F(ExchangeTest, TooLargeBodyGets413BeforeThePageRuns) {
  RawClient c(server_.Port());
  const auto r = c.Request("POST /p.asp HTTP/1.1\r\nHost: t\r\nContent-Length: 9000000\r\n\r\n");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 413);
  EXPECT_EQ(r->Header("Connection").value_or(""), "close");
  EXPECT_EQ(server_.pages.calls, 0);
  EXPECT_TRUE(c.ServerClosed());
}

TEST_F(ExchangeTest, ChunkedBodyAboveTheMaximumFailsTheRead) {
  EchoBodyPage();
  RawClient c(server_.Port());
  const std::string body = Pattern(9 * 1024 * 1024);
  std::thread sender([&] {
    c.Send("POST /p.asp HTTP/1.1\r\nHost: t\r\nTransfer-Encoding: chunked\r\n\r\n" +
           Chunked(body, 65536));
  });
  const auto r = c.Read();
  ::shutdown(c.fd(), SHUT_RDWR);
  sender.join();
  ASSERT_TRUE(r);
  EXPECT_TRUE(failed_);
  EXPECT_LE(received_.size(), 8u * 1024 * 1024);
}

TEST_F(ExchangeTest, ContinueIsSentOnlyOnFirstBodyRead) {
  std::atomic<bool> proceed{false};
  server_.pages.body = [&](Exchange& ex, const std::string&, const std::string&) {
    while (!proceed) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::uint8_t buf[16];
    const std::size_t n = ex.ReadBody(buf, sizeof buf);
    ex.Write(std::string(reinterpret_cast<char*>(buf), n));
  };
  RawClient c(server_.Port());
  c.Send("POST /p.asp HTTP/1.1\r\nHost: t\r\nExpect: 100-continue\r\nContent-Length: 5\r\n\r\n");
  EXPECT_EQ(c.ReadFor(200), "") << "100 Continue before the page read";
  proceed = true;
  EXPECT_EQ(c.ReadFor(500), "HTTP/1.1 100 Continue\r\n\r\n");
  c.Send("hello");
  const auto r = c.Read();
  ASSERT_TRUE(r);
  EXPECT_EQ(r->body, "hello");
}

TEST_F(ExchangeTest, NoContinueWhenThePageNeverReads) {
  server_.pages.body = [](Exchange& ex, const std::string&, const std::string&) { ex.Write("x"); };
  RawClient c(server_.Port());
  const auto r = c.Request(
      "POST /p.asp HTTP/1.1\r\nHost: t\r\nExpect: 100-continue\r\nContent-Length: 5\r\n\r\n");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(r->body, "x");
  EXPECT_TRUE(c.ServerClosed()) << "the unsent body must not be taken for the next request";
}

TEST_F(ExchangeTest, UnreadSmallBodyIsDrainedAndKeepAliveHolds) {
  server_.pages.body = [](Exchange& ex, const std::string&, const std::string&) { ex.Write("x"); };
  RawClient c(server_.Port());
  const auto first = c.Request("POST /p.asp HTTP/1.1\r\nHost: t\r\nContent-Length: 4\r\n\r\nabcd");
  ASSERT_TRUE(first);
  const auto second = c.Request("GET /p.asp HTTP/1.1\r\nHost: t\r\n\r\n");
  ASSERT_TRUE(second);
  EXPECT_EQ(second->status, 200);
}

struct ModeRow {
  const char* name;
  unsigned version;
  std::function<void(Exchange&)> page;
  const char* framing;  // "length", "chunked" or "close"
};

TEST_F(ExchangeTest, OutputModesChooseTheFraming) {
  // File rows send "abcd" from the middle of this file; a buffered page's
  // text goes out before the file, which is never added to the buffer.
  site_.Add("f.bin", "xabcd");
  const int fd = ::open((site_.Root() + "/f.bin").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  const std::vector<ModeRow> rows = {
      {"unbuffered file with length", 11,
       [fd](Exchange& ex) {
         ex.SetBuffered(false);
         ex.AddHeader("Content-Length", "4");
         ex.WriteFile(fd, 1, 4);
       },
       "length"},
      {"unbuffered file", 11,
       [fd](Exchange& ex) {
         ex.SetBuffered(false);
         ex.WriteFile(fd, 1, 4);
       },
       "chunked"},
      {"buffered text, then a file", 11,
       [fd](Exchange& ex) {
         ex.Write("ab");
         ex.WriteFile(fd, 3, 2);
       },
       "chunked"},
      {"http/1.0 file", 10,
       [fd](Exchange& ex) {
         ex.SetBuffered(false);
         ex.WriteFile(fd, 1, 4);
       },
       "close"},
      {"file that ends early", 11,
       [fd](Exchange& ex) {
         ex.SetBuffered(false);
         ex.WriteFile(fd, 1, 100);
       },
       "chunked"},
      {"buffered", 11,
       [](Exchange& ex) {
         ex.Write("ab");
         ex.Write("cd");
       },
       "length"},
      {"flush then more", 11,
       [](Exchange& ex) {
         ex.Write("ab");
         ex.Flush();
         ex.Write("cd");
       },
       "chunked"},
      {"unbuffered", 11,
       [](Exchange& ex) {
         ex.SetBuffered(false);
         ex.Write("ab");
         ex.Write("cd");
       },
       "chunked"},
      {"unbuffered with length", 11,
       [](Exchange& ex) {
         ex.SetBuffered(false);
         ex.AddHeader("Content-Length", "4");
         ex.Write("ab");
         ex.Write("cd");
       },
       "length"},
      {"http/1.0 unbuffered", 10,
       [](Exchange& ex) {
         ex.SetBuffered(false);
         ex.Write("abcd");
       },
       "close"},
      {"http/1.0 flush", 10,
       [](Exchange& ex) {
         ex.Write("ab");
         ex.Flush();
         ex.Write("cd");
       },
       "close"},
      {"clear drops unsent", 11,
       [](Exchange& ex) {
         ex.Write("zz");
         ex.Clear();
         ex.Write("abcd");
       },
       "length"},
      // The headers ride with the first write; an empty one must not end the chunked body.
      {"unbuffered, empty first write", 11,
       [](Exchange& ex) {
         ex.SetBuffered(false);
         ex.Write("");
         ex.Write("abcd");
       },
       "chunked"},
      {"unbuffered, one write", 11,
       [](Exchange& ex) {
         ex.SetBuffered(false);
         ex.Write("abcd");
       },
       "chunked"},
  };
  for (const auto& row : rows) {
    server_.pages.body = [&](Exchange& ex, const std::string&, const std::string&) {
      row.page(ex);
    };
    RawClient c(server_.Port());
    const std::string version = row.version == 10 ? "1.0" : "1.1";
    const auto r = c.Request("GET /p.asp HTTP/" + version + "\r\nHost: t\r\n\r\n");
    ASSERT_TRUE(r) << row.name;
    EXPECT_EQ(r->body, "abcd") << row.name;
    const std::string framing = r->chunked ? "chunked" : r->closeDelimited ? "close" : "length";
    EXPECT_EQ(framing, row.framing) << row.name;
    if (framing == "length") {
      EXPECT_EQ(r->Header("Content-Length").value_or(""), "4") << row.name;
      EXPECT_FALSE(c.ServerClosed(100)) << row.name << ": keep-alive expected";
    }
  }
  ::close(fd);
}

TEST_F(ExchangeTest, FlushSendsBeforeThePageEnds) {
  std::atomic<bool> release{false};
  server_.pages.body = [&](Exchange& ex, const std::string&, const std::string&) {
    ex.Write("early");
    ex.Flush();
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ex.Write("late");
  };
  RawClient c(server_.Port());
  c.Send("GET /p.asp HTTP/1.1\r\nHost: t\r\n\r\n");
  const std::string early = c.ReadFor(300);
  EXPECT_NE(early.find("Transfer-Encoding: chunked"), std::string::npos) << early;
  EXPECT_NE(early.find("5\r\nearly\r\n"), std::string::npos) << early;
  release = true;
  EXPECT_EQ(c.ReadFor(300), "4\r\nlate\r\n0\r\n\r\n");
}

TEST_F(ExchangeTest, StatusAndHeaderRules) {
  std::vector<bool> results;
  server_.pages.body = [&](Exchange& ex, const std::string&, const std::string&) {
    results = {
        ex.SetStatus("206 Partial content"),
        ex.AddHeader("X-Good", "value with spaces"),
        ex.AddHeader("Set-Cookie", "a=1"),
        ex.AddHeader("Set-Cookie", "b=2"),
        ex.AddHeader("X-Bad", "a\r\nInjected: yes"),
        ex.AddHeader("X-Bad", "a\nInjected: yes"),
        ex.AddHeader("X-Bad", std::string("a\0b", 3)),
        ex.AddHeader("X-Bad\r\nInjected", "yes"),
        ex.AddHeader("Bad Name", "x"),
        ex.AddHeader("", "x"),
        ex.AddHeader("Transfer-Encoding", "chunked"),
        ex.AddHeader("Content-Length", "many"),
        ex.SetStatus("99 Low"),
        ex.SetStatus("abc Nope"),
        ex.SetStatus("404 Not\r\nFound"),
        ex.SetContentType("text/plain\r\nX: y"),
        ex.AddHeader("X-Bad", "a\vb"),
        ex.AddHeader("X-Bad", "a\fb"),
        ex.AddHeader("X-Bad",
                     "a\x7f"
                     "b"),
        ex.SetStatus("404 Not\vFound"),
        ex.SetContentType("text/plain\f"),
        ex.AddHeader("X-Tab", "a\tb \xc3\xa9"),
        ex.SetContentType("text/plain; charset=utf-8"),
    };
    ex.Write("body");
    ex.Flush();
    results.push_back(ex.AddHeader("X-Late", "1"));
    results.push_back(ex.SetStatus("500 Late"));
    results.push_back(ex.SetBuffered(false));
  };
  RawClient c(server_.Port());
  c.Send("GET /p.asp HTTP/1.1\r\nHost: t\r\n\r\n");
  const auto r = c.Read();
  ASSERT_TRUE(r);
  const std::vector<bool> expected = {true,  true,  true,  true,  false, false, false, false, false,
                                      false, false, false, false, false, false, false, false, false,
                                      false, false, false, true,  true,  false, false, false};
  ASSERT_EQ(results.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(results[i], expected[i]) << "call " << i;
  EXPECT_EQ(r->statusLine, "206 Partial content");
  EXPECT_EQ(r->Header("Content-Type").value_or(""), "text/plain; charset=utf-8");
  EXPECT_FALSE(r->Header("Injected").has_value());
  EXPECT_FALSE(r->Header("X-Late").has_value());
  int cookies = 0;
  for (const auto& [name, value] : r->headers) cookies += name == "Set-Cookie";
  EXPECT_EQ(cookies, 2);
}

TEST_F(ExchangeTest, HeadKeepsHeadersDropsBody) {
  server_.pages.body = [](Exchange& ex, const std::string&, const std::string&) {
    ex.Write("12345");
  };
  RawClient c(server_.Port());
  const auto r = c.Request("HEAD /p.asp HTTP/1.1\r\nHost: t\r\n\r\n", true);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Header("Content-Length").value_or(""), "5");
  const auto next = c.Request("GET /p.asp HTTP/1.1\r\nHost: t\r\n\r\n");
  ASSERT_TRUE(next);
  EXPECT_EQ(next->body, "12345");
}

// The first unbuffered write carries the headers and is cut to the announced
// length; the surplus never reaches the client and the connection closes.
TEST_F(ExchangeTest, FirstWriteIsCutToTheAnnouncedLength) {
  server_.pages.body = [](Exchange& ex, const std::string&, const std::string&) {
    ex.SetBuffered(false);
    ex.AddHeader("Content-Length", "4");
    ex.Write("abcdef");
  };
  RawClient c(server_.Port());
  const auto r = c.Request("GET /p.asp HTTP/1.1\r\nHost: t\r\n\r\n");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->body, "abcd");
  EXPECT_TRUE(c.ServerClosed(1000)) << "a page that overran its length loses keep-alive";
}

TEST_F(ExchangeTest, UnbufferedHeadSendsHeadersOnly) {
  server_.pages.body = [](Exchange& ex, const std::string&, const std::string&) {
    ex.SetBuffered(false);
    ex.AddHeader("Content-Length", "5");
    ex.Write("12345");
  };
  RawClient c(server_.Port());
  const auto r = c.Request("HEAD /p.asp HTTP/1.1\r\nHost: t\r\n\r\n", true);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->Header("Content-Length").value_or(""), "5");
  EXPECT_EQ(c.ReadFor(200), "") << "no body bytes after the headers of a HEAD answer";
}

TEST_F(ExchangeTest, WritesFailOnceTheClientIsGone) {
  std::atomic<bool> closed{false};
  std::atomic<bool> done{false};
  bool connectedBefore = false, connectedAfter = true, writeFailed = false;
  server_.pages.body = [&](Exchange& ex, const std::string&, const std::string&) {
    ex.SetBuffered(false);
    connectedBefore = ex.IsClientConnected();
    ex.Write("first");
    while (!closed) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    connectedAfter = ex.IsClientConnected();
    const std::string piece(64 * 1024, 'x');
    for (int i = 0; i < 200 && !writeFailed; ++i) writeFailed = !ex.Write(piece);
    done = true;
  };
  {
    RawClient c(server_.Port());
    c.Send("GET /p.asp HTTP/1.1\r\nHost: t\r\n\r\n");
    c.ReadFor(200);
  }
  closed = true;
  while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(connectedBefore);
  EXPECT_FALSE(connectedAfter);
  EXPECT_TRUE(writeFailed);
}

TEST_F(ExchangeTest, AppendToLogReachesTheAccessLog) {
  server_.pages.body = [](Exchange& ex, const std::string&, const std::string&) {
    ex.AppendToLog("upload=42");
    ex.Write("abc");
  };
  ASSERT_TRUE(server_.Get("/p.asp?q=1"));
  server_.server().Stop(std::chrono::seconds(1));
  const std::string log = server_.LogText();
  EXPECT_NE(log.find("127.0.0.1 - - ["), std::string::npos) << log;
  EXPECT_NE(log.find("\"GET /p.asp?q=1 HTTP/1.1\" 200 3 "), std::string::npos) << log;
  EXPECT_NE(log.find(" complete \"upload=42\""), std::string::npos) << log;
}

}  // namespace
}  // namespace vant::host::http
