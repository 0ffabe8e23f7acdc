#include "host/http/request_framing.h"

#include <gtest/gtest.h>

namespace vant::host::http {
namespace {

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

}  // namespace
}  // namespace vant::host::http
