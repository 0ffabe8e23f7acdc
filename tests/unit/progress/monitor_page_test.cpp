#include "progress/monitor_page.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/automation/bstr.h"

namespace vant::progress {
namespace {

int Count(const std::u16string& text, std::u16string_view what) {
  int count = 0;
  for (std::size_t at = text.find(what); at != std::u16string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

TEST(MonitorPage, SizesText) {
  struct Row {
    std::int32_t transferred;
    std::int32_t total;
    const char* text;
  };
  const Row rows[] = {
      {600, 1000, "600B / 1000B "},
      {0, 0, "0B / 0B "},
      {2047, 2047, "2047B / 2047B "},  // 2047 / 1024 = 1: still bytes
      {1024, 2048, "1.0K / 2.0K "},    // 2048 / 1024 = 2: kilobytes
      {750000, 1500000, "732.4K / 1464.8K "},
      {1048576, 2097151, "1024.0K / 2048.0K "},  // 2097151 / 1048576 = 1
      {1048576, 2097152, "1.0M / 2.0M "},
      {1572864, 3040870, "1.5M / 2.9M "},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Utf16ToUtf8(MonitorSizesText(row.transferred, row.total)), row.text)
        << row.transferred << " of " << row.total;
  }
}

TEST(MonitorPage, TimeText) {
  struct Row {
    std::int32_t remaining;
    std::int32_t rate;
    const char* text;
  };
  const Row rows[] = {
      {1000, 0, ""},
      {0, 5, "00:00:00 left (At 5B/sec) "},
      {1024 * 65, 1024, "00:01:05 left (At 1024B/sec) "},
      {1025 * 65, 1025, "00:01:05 left (At 1.0KB/sec) "},
      {12595 * 65, 12595, "00:01:05 left (At 12.3KB/sec) "},
      {3 * 3600 * 10 + 10, 10, "03:00:01 left (At 10B/sec) "},
      {2000000, 1048576, "00:00:01 left (At 1024.0KB/sec) "},
      {2000000, 1048577, "00:00:01 left (At 1.0MB/sec) "},
      {360000 * 1, 1, "100:00:00 left (At 1B/sec) "},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Utf16ToUtf8(MonitorTimeText(row.remaining, row.rate)), row.text)
        << row.remaining << " at " << row.rate;
  }
}

TEST(MonitorPage, CellBarForMsieAgents) {
  struct Row {
    std::int32_t percent;
    int filled;
  };
  const Row rows[] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {47, 24}, {99, 50}, {100, 50}};
  for (const Row& row : rows) {
    std::u16string page;
    AppendMonitorBar(page, row.percent, u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)");
    EXPECT_EQ(Count(page, u"<td bgcolor='darkblue' class='progress'>&nbsp;</td>"), row.filled)
        << "P = " << row.percent;
    EXPECT_EQ(Count(page, u"<td class='progress'>&nbsp;</td>"), 50 - row.filled)
        << "P = " << row.percent;
  }
}

TEST(MonitorPage, PercentBarForOtherAgents) {
  for (const std::u16string_view agent : {u"Mozilla/5.0 Firefox/115.0", u"msie lower case", u""}) {
    std::u16string page;
    AppendMonitorBar(page, 47, agent);
    EXPECT_EQ(page,
              u"<td bgcolor='darkblue' width='47%' height='8'><img width='1' height='8'></td>"
              u"<td width='53%'></td></tr></table></td></tr></table></td></tr><tr><td width=50%>")
        << Utf16ToUtf8(agent);
  }
}

TEST(MonitorPage, HeadEscapesTheScriptPath) {
  const std::u16string head = MonitorHead(u"/up/mon'<x>&\".asp", true);
  EXPECT_NE(head.find(u"URL=/up/mon&#39;&lt;x&gt;&amp;&quot;.asp'>"), std::u16string::npos)
      << Utf16ToUtf8(head);
}

}  // namespace
}  // namespace vant::progress
