#include "progress/monitor_cookie.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "support/fake_host.h"

namespace vant::progress {
namespace {

TEST(MonitorCookie, ParsesLikeTheWideStringToLongConversion) {
  struct Row {
    std::u16string_view text;
    std::int32_t id;
  };
  const Row rows[] = {
      {u"12", 12},
      {u" 12abc", 12},
      {u"\t\r\n\v\f7", 7},
      {u"-3", -3},
      {u"+5", 5},
      {u"007", 7},
      {u"x", 0},
      {u"", 0},
      {u"-", 0},
      {u"- 3", 0},
      {u"1 2", 1},
      {u"\u00a012", 0},  // only the C locale's white space is skipped
      {u"\uff11", 0},    // a full-width digit is no digit
      {u"2147483647", std::numeric_limits<std::int32_t>::max()},
      {u"2147483648", std::numeric_limits<std::int32_t>::max()},
      {u"99999999999999999999", std::numeric_limits<std::int32_t>::max()},
      {u"-2147483648", std::numeric_limits<std::int32_t>::min()},
      {u"-99999999999999999999", std::numeric_limits<std::int32_t>::min()},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ParseProgressIdText(row.text), row.id) << '"' << Utf16ToUtf8(row.text) << '"';
  }
}

class MonitorCookieHost : public ::testing::Test {
 protected:
  void Start() { ASSERT_EQ(context_.OnStartPage(host_.ScriptingContext().get(), frame::PageObjects::Standard), S_OK); }

  test::FakeHost host_;
  frame::PageContext context_;
};

TEST_F(MonitorCookieHost, ReadsTheRequestCookie) {
  host_.SetCookie(u"VANTUpload", u"ProgressID", u" 12abc");
  Start();
  EXPECT_EQ(ReadMonitorCookie(context_), 12);
}

TEST_F(MonitorCookieHost, EmptyValueReadsAsZero) {
  host_.SetCookie(u"VANTUpload", u"ProgressID", u"");
  Start();
  EXPECT_EQ(ReadMonitorCookie(context_), 0);
}

TEST_F(MonitorCookieHost, UnreadableOrAbsentCookieReadsAsNoId) {
  struct Row {
    const char* what;
    std::optional<test::HostCall> failing;
    bool setCookie;
  };
  const Row rows[] = {
      {"no cookie sent", std::nullopt, false},
      {"cookie collection fails", test::HostCall::RequestCookies, true},
      {"key read fails", test::HostCall::ReadCookieItem, true},
  };
  for (const Row& row : rows) {
    test::FakeHost host;
    if (row.setCookie) host.SetCookie(u"VANTUpload", u"ProgressID", u"5");
    if (row.failing) host.Fail(*row.failing);
    frame::PageContext context;
    ASSERT_EQ(context.OnStartPage(host.ScriptingContext().get(), frame::PageObjects::Standard), S_OK);
    EXPECT_EQ(ReadMonitorCookie(context), kNoProgressId) << row.what;
  }
  frame::PageContext unstarted;
  EXPECT_EQ(ReadMonitorCookie(unstarted), kNoProgressId) << "no Request held";
}

TEST_F(MonitorCookieHost, OtherKeyOfTheCookieIsNoId) {
  host_.SetCookie(u"VANTUpload", u"Other", u"5");
  Start();
  EXPECT_EQ(ReadMonitorCookie(context_), kNoProgressId);
}

TEST_F(MonitorCookieHost, WritesTheIdAsDecimalText) {
  Start();
  for (const std::int32_t id : {0, 7, 1999}) EXPECT_EQ(WriteMonitorCookie(context_, id), S_OK);
  const std::vector<test::CookieWrite> expected{{u"VANTUpload", u"ProgressID", u"0"},
                                                {u"VANTUpload", u"ProgressID", u"7"},
                                                {u"VANTUpload", u"ProgressID", u"1999"}};
  EXPECT_EQ(host_.CookieWrites(), expected);
}

}  // namespace
}  // namespace vant::progress
