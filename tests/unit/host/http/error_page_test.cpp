#include "host/http/error_page.h"

#include <gtest/gtest.h>

namespace vant::host::http {
namespace {

TEST(ErrorPage, DetailsOnlyForLocalClientsWithoutAProxy) {
  using D = DetailedErrors;
  const struct {
    D setting;
    const char* remote;
    const char* proxyHeader;  // "" for none
    bool shown;
    const char* host = "127.0.0.1:8080";
  } rows[] = {
      {D::kLocal, "127.0.0.1", "", true},
      {D::kLocal, "127.8.9.1", "", true},
      {D::kLocal, "::1", "", true},
      {D::kLocal, "::ffff:127.0.0.1", "", true},
      {D::kLocal, "192.0.2.7", "", false},
      {D::kLocal, "::ffff:192.0.2.7", "", false},
      {D::kLocal, "1270::1", "", false},
      {D::kLocal, "127.0.0.1", "X-Forwarded-For", false},
      {D::kLocal, "127.0.0.1", "forwarded", false},
      {D::kLocal, "127.0.0.1", "X-Real-IP", false},
      {D::kLocal, "127.0.0.1", "Via", false},
      {D::kLocal, "127.0.0.1", "", true, "localhost"},
      {D::kLocal, "::1", "", true, "[::1]:8080"},
      {D::kLocal, "127.0.0.1", "", true, "LocalHost:80"},
      // A proxy on the same machine that adds no proxy header but passes
      // the public name: its visitors are remote.
      {D::kLocal, "127.0.0.1", "", false, "www.example.com"},
      {D::kLocal, "127.0.0.1", "", false, "localhost.example.com"},
      {D::kLocal, "127.0.0.1", "", false, "[::1"},
      {D::kLocal, "127.0.0.1", "", false, ""},
      {D::kOff, "127.0.0.1", "", false},
      {D::kOn, "192.0.2.7", "X-Forwarded-For", true},
  };
  for (const auto& row : rows) {
    RequestHead head;
    head.remote.address = row.remote;
    if (*row.proxyHeader) head.headers.push_back({row.proxyHeader, "203.0.113.5"});
    if (*row.host) head.headers.push_back({"Host", row.host});
    EXPECT_EQ(ShowsErrorDetails(row.setting, head), row.shown)
        << static_cast<int>(row.setting) << " " << row.remote << " " << row.proxyHeader << " "
        << row.host;
  }
}

}  // namespace
}  // namespace vant::host::http
