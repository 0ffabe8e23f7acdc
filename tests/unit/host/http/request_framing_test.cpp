#include "host/http/request_framing.h"

#include <gtest/gtest.h>

#include "http_test_support.h"

namespace vant::host::http {
namespace {

using testing::RawClient;
using testing::TempSite;
using testing::TestServer;

TEST(RequestFraming, OnlyOneHostAndAFinalChunkedPass) {
  const struct {
    unsigned version;
    std::vector<HeaderField> headers;
    bool refused;
  } rows[] = {
      {11, {{"Host", "a"}}, false},
      {11, {{"host", "a"}, {"Transfer-Encoding", "Chunked"}}, false},
      {11, {{"Host", "a"}, {"Transfer-Encoding", " chunked "}}, false},
      {10, {}, false},
      {11, {}, true},
      {11, {{"Host", "a"}, {"HOST", "b"}}, true},
      {10, {{"Host", "a"}, {"Host", "a"}}, true},
      {11, {{"Host", "a"}, {"Transfer-Encoding", "gzip"}}, true},
      {11, {{"Host", "a"}, {"Transfer-Encoding", "identity"}}, true},
      {11, {{"Host", "a"}, {"Transfer-Encoding", "xchunked"}}, true},
      {11, {{"Host", "a"}, {"Transfer-Encoding", "chunked, chunked"}}, true},
      {11, {{"Host", "a"}, {"Transfer-Encoding", "chunked, identity"}}, true},
      {11, {{"Host", "a"}, {"Transfer-Encoding", "gzip, chunked"}}, true},
      {11,
       {{"Host", "a"}, {"Transfer-Encoding", "chunked"}, {"Transfer-Encoding", "chunked"}},
       true},
      {11, {{"Host", "a"}, {"Transfer-Encoding", ""}}, true},
      {11, {{"Host", "a"}, {"Transfer-Encoding", "chunked"}, {"Content-Length", "3"}}, true},
      {10, {{"Transfer-Encoding", "chunked"}}, true},
  };
  for (const auto& row : rows) {
    RequestHead head;
    head.version = row.version;
    head.headers = row.headers;
    std::string shown = "HTTP/" + std::to_string(row.version) + ":";
    for (const auto& h : row.headers) shown += " [" + h.name + ": " + h.value + "]";
    EXPECT_EQ(!FramingProblem(head).empty(), row.refused) << shown;
  }
}

// A body hiding a second request: the first is refused, the connection
// closes, and no page runs, neither the first nor the hidden one.
TEST(RequestFraming, SmuggledRequestNeverRuns) {
  TempSite site;
  site.Add("p.asp", "");
  TestServer server(site);
  ASSERT_TRUE(server.Started());
  const std::string hidden = "GET /p.asp HTTP/1.1\r\nHost: t\r\n\r\n";
  for (const char* coding :
       {"gzip", "identity", "xchunked", "chunked, chunked", "chunked, identity"}) {
    RawClient c(server.Port());
    const auto r =
        c.Request("POST /p.asp HTTP/1.1\r\nHost: t\r\nTransfer-Encoding: " + std::string(coding) +
                  "\r\n\r\n" + hidden);
    ASSERT_TRUE(r) << coding;
    EXPECT_EQ(r->status, 400) << coding;
    EXPECT_EQ(r->Header("Connection").value_or(""), "close") << coding;
    EXPECT_TRUE(c.ServerClosed()) << coding;
  }
  EXPECT_EQ(server.pages.calls, 0);
}

}  // namespace
}  // namespace vant::host::http
