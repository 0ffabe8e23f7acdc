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

TEST(MonitorCookie, ReadsTheRequestCookie) {
  struct Row {
    const char* what;
    std::u16string_view key;  // empty: no cookie sent
    std::u16string_view value;
    std::optional<test::HostCall> failing;
    std::int32_t id;
  };
  const Row rows[] = {
      {"digits then letters", u"ProgressID", u" 12abc", std::nullopt, 12},
      {"sent empty", u"ProgressID", u"", std::nullopt, 0},
      {"no cookie sent", u"", u"", std::nullopt, kNoProgressId},
      {"another key only", u"Other", u"5", std::nullopt, kNoProgressId},
      {"cookie collection fails", u"ProgressID", u"5", test::HostCall::RequestCookies,
       kNoProgressId},
      {"key read fails", u"ProgressID", u"5", test::HostCall::ReadCookieItem, kNoProgressId},
  };
  for (const Row& row : rows) {
    test::FakeHost host;
    if (!row.key.empty()) host.SetCookie(u"VANTUpload", row.key, row.value);
    if (row.failing) host.Fail(*row.failing);
    frame::PageContext context;
    ASSERT_EQ(context.OnStartPage(host.ScriptingContext().get(), frame::PageObjects::Standard),
              S_OK);
    EXPECT_EQ(ReadMonitorCookie(context), row.id) << row.what;
  }
  EXPECT_EQ(ReadMonitorCookie(frame::PageContext()), kNoProgressId) << "no Request held";
}

TEST(MonitorCookie, WritesTheIdAsDecimalText) {
  test::FakeHost host;
  frame::PageContext context;
  ASSERT_EQ(context.OnStartPage(host.ScriptingContext().get(), frame::PageObjects::Standard), S_OK);
  for (const std::int32_t id : {0, 7, 1999}) EXPECT_EQ(WriteMonitorCookie(context, id), S_OK);
  const std::vector<test::CookieWrite> expected{{u"VANTUpload", u"ProgressID", u"0"},
                                                {u"VANTUpload", u"ProgressID", u"7"},
                                                {u"VANTUpload", u"ProgressID", u"1999"}};
  EXPECT_EQ(host.CookieWrites(), expected);
}

}  // namespace
}  // namespace vant::progress
