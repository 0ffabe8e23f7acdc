#include "host/http/access_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace vant::host::http {
namespace {

TEST(AccessLog, LineHoldsEveryField) {
  AccessRecord r;
  r.time = 784111777;
  r.remote = "10.0.0.7";
  r.method = "POST";
  r.target = "/up.asp?id=3";
  r.protocol = "HTTP/1.1";
  r.status = 200;
  r.bytes = 120;
  r.milliseconds = 14052;
  r.userAgent = "Mozilla/5.0";
  r.outcome = Outcome::kCancelled;
  EXPECT_EQ(FormatAccessLine(r),
            "10.0.0.7 - - [06/Nov/1994:08:49:37 +0000] \"POST /up.asp?id=3 HTTP/1.1\" 200 120 "
            "\"-\" \"Mozilla/5.0\" 14.052 cancelled");
  r.note = "files=2";
  r.outcome = Outcome::kCut;
  const std::string line = FormatAccessLine(r);
  EXPECT_TRUE(line.ends_with("\"Mozilla/5.0\" 14.052 cut \"files=2\"")) << line;
}

TEST(AccessLog, ClientTextCannotForgeLinesOrFields) {
  AccessRecord r;
  r.method = "GET";
  r.target = "/a\" 200 1 \"x";
  r.userAgent = "ua\\\"";
  r.note = "x\nFAKE 200\r\t";
  const std::string line = FormatAccessLine(r);
  EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
  EXPECT_NE(line.find("\"GET /a\\x22 200 1 \\x22x\""), std::string::npos) << line;
  EXPECT_NE(line.find("\"ua\\x5C\\x22\""), std::string::npos) << line;
  EXPECT_NE(line.find("\"x\\x0AFAKE 200\\x0D\\x09\""), std::string::npos) << line;
}

// Only the null device discards; a log reopened from it to a file writes.
TEST(AccessLog, DiscardsOnlyForTheNullDevice) {
  const std::string path = testing::TempDir() + "access_log_test.log";
  std::remove(path.c_str());
  AccessRecord r;
  r.method = "GET";
  AccessLog log("/dev/null");
  EXPECT_TRUE(log.Discards());
  ASSERT_TRUE(log.Reopen(path));
  EXPECT_FALSE(log.Discards());
  log.Write(r);
  std::ifstream in(path);
  std::string line;
  EXPECT_TRUE(std::getline(in, line) && line.starts_with("- - - ")) << line;
  std::remove(path.c_str());
}

}  // namespace
}  // namespace vant::host::http
