#include "host/http/http_date.h"

#include <gtest/gtest.h>

namespace vant::host::http {
namespace {

constexpr std::time_t kSample = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT

TEST(HttpDate, FormatsImfFixdate) {
  EXPECT_EQ(FormatHttpDate(kSample), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(FormatHttpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
}

TEST(HttpDate, ParsesTheThreeForms) {
  const char* accepted[] = {"Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT",
                            "Sun Nov  6 08:49:37 1994"};
  for (const char* text : accepted) {
    const auto t = ParseHttpDate(text);
    ASSERT_TRUE(t.has_value()) << text;
    EXPECT_EQ(*t, kSample) << text;
  }
}

TEST(HttpDate, RejectsGarbage) {
  const char* rejected[] = {"",
                            "yesterday",
                            "Sun, 32 Nov 1994 08:49:37 GMT",
                            "Sun, 06 Foo 1994 08:49:37 GMT",
                            "Sun, 06 Nov 1994 25:49:37 GMT",
                            "Sun, 06 Nov 1994",
                            "1994-11-06T08:49:37Z"};
  for (const char* text : rejected) EXPECT_FALSE(ParseHttpDate(text).has_value()) << text;
}

}  // namespace
}  // namespace vant::host::http
