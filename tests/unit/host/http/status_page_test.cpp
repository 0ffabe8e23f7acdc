#include "host/http/status_page.h"

#include <gtest/gtest.h>

namespace vant::host::http {
namespace {

TEST(StatusPage, RequestsAreCountedByKind) {
  ServerStats stats;
  const struct {
    int status;
    Outcome outcome;
  } rows[] = {{200, Outcome::kComplete}, {404, Outcome::kComplete}, {413, Outcome::kComplete},
              {500, Outcome::kComplete}, {503, Outcome::kComplete}, {200, Outcome::kCancelled},
              {200, Outcome::kCut}};
  for (const auto& row : rows) {
    AccessRecord record;
    record.status = row.status;
    record.outcome = row.outcome;
    record.bytes = 10;
    record.bytesIn = 3;
    stats.Count(record);
  }
  StatusReport report;
  report.totals = stats.Read();
  const std::string text = StatusText(report);
  for (const char* line :
       {"requests: 7\n", "bytes_in: 21\n", "bytes_out: 70\n", "errors_client_error: 2\n",
        "errors_server_error: 1\n", "errors_busy: 1\n", "errors_cancelled: 1\n", "errors_cut: 1\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
  EXPECT_NE(StatusJson(report).find("\"errors_busy\":1,"), std::string::npos) << StatusJson(report);
}

TEST(StatusPage, ReadersAreLocalOrNamedByATrustedProxy) {
  std::vector<AddressRange> trusted(1);
  ASSERT_TRUE(ParseAddressRange("127.0.0.1", trusted[0]));
  std::vector<AddressRange> allowed = LoopbackRanges();
  allowed.push_back(trusted[0]);
  const struct {
    const char* peer;
    const char* remote;
    const char* proxyHeader;
    bool may;
  } rows[] = {
      {"127.0.0.1", "127.0.0.1", "", true},
      {"::1", "::1", "", true},
      {"192.0.2.9", "192.0.2.9", "", false},
      {"127.0.0.1", "198.51.100.1", "X-Forwarded-For", false},  // named by the proxy
      {"127.0.0.2", "127.0.0.2", "X-Forwarded-For", false},     // an undeclared proxy
      {"127.0.0.2", "127.0.0.2", "Via", false},
  };
  for (const auto& row : rows) {
    RequestHead head;
    head.peer.address = row.peer;
    head.remote.address = row.remote;
    if (*row.proxyHeader) head.headers.push_back({row.proxyHeader, "x"});
    EXPECT_EQ(MayReadStatus(head, allowed, trusted), row.may) << row.peer << " " << row.remote;
  }
}

}  // namespace
}  // namespace vant::host::http
