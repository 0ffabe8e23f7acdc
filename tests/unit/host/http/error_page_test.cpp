#include "host/http/error_page.h"

#include <gtest/gtest.h>

#include "http_test_support.h"

namespace vant::host::http {
namespace {

TEST(ErrorPage, DetailsOnlyForLocalClientsWithoutAProxy) {
  using D = DetailedErrors;
  const struct {
    D setting;
    const char* remote;
    const char* proxyHeader;  // "" for none
    bool shown;
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
      {D::kOff, "127.0.0.1", "", false},
      {D::kOn, "192.0.2.7", "X-Forwarded-For", true},
  };
  for (const auto& row : rows) {
    RequestHead head;
    head.remote.address = row.remote;
    if (*row.proxyHeader) head.headers.push_back({row.proxyHeader, "203.0.113.5"});
    EXPECT_EQ(ShowsErrorDetails(row.setting, head), row.shown)
        << static_cast<int>(row.setting) << " " << row.remote << " " << row.proxyHeader;
  }
}

TEST(ErrorPage, FolderRedirectEscapesTheQueryInItsBody) {
  testing::TempSite site;
  site.AddFolder("docs");
  testing::TestServer server(site);
  ASSERT_TRUE(server.Started());
  const auto r = server.Get("/docs?a=\"><script>alert(1)</script>");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 301);
  EXPECT_EQ(r->body.find("<script>"), std::string::npos) << r->body;
  EXPECT_EQ(r->Header("Location").value_or(""), "/docs/?a=%22%3E%3Cscript%3Ealert(1)%3C/script%3E");
}

}  // namespace
}  // namespace vant::host::http
