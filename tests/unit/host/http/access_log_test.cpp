#include "host/http/access_log.h"

#include <gtest/gtest.h>

namespace vant::host::http {
namespace {

TEST(AccessLog, LineHoldsEveryField) {
  AccessRecord r;
  r.time = 784111777;
  r.remote = "10.0.0.7";
  r.method = "POST";
  r.target = "/up.asp?id=3";
  r.status = 413;
  r.bytes = 120;
  r.milliseconds = 42;
  EXPECT_EQ(FormatAccessLine(r), "1994-11-06T08:49:37Z 10.0.0.7 POST /up.asp?id=3 413 120 42ms");
  r.note = "files=2";
  EXPECT_EQ(FormatAccessLine(r), "1994-11-06T08:49:37Z 10.0.0.7 POST /up.asp?id=3 413 120 42ms files=2");
}

TEST(AccessLog, ControlBytesCannotForgeLines) {
  AccessRecord r;
  r.method = "GET";
  r.target = "/a";
  r.note = "x\nFAKE 200\r\t";
  const std::string line = FormatAccessLine(r);
  EXPECT_EQ(line.find('\n'), std::string::npos) << line;
  EXPECT_EQ(line.find('\r'), std::string::npos) << line;
  EXPECT_NE(line.find("x?FAKE 200??"), std::string::npos) << line;
}

}  // namespace
}  // namespace vant::host::http
