#include "progress/monitor_page.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "platform/automation/bstr.h"
#include "platform/sys/ascii.h"
#include "progress/monitor_html.h"

namespace vant::progress {
namespace {

constexpr std::int32_t kKilo = 1024;
constexpr std::int32_t kMega = 1048576;
constexpr std::int32_t kFullPercent = 100;
constexpr std::int32_t kPercentPerCell = 2;
constexpr std::int64_t kSecondsPerHour = 3600;
constexpr std::int64_t kSecondsPerMinute = 60;

// printf into UTF-16; the formats here only produce ASCII.
[[gnu::format(printf, 1, 2)]] std::u16string Format(const char* format, ...) {
  char buffer[128];
  va_list args;
  va_start(args, format);
  // The analyzer loses track of va_start through glibc's builtin here.
  // NOLINTNEXTLINE(clang-analyzer-valist.Uninitialized)
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length <= 0) return {};
  return Utf8ToUtf16(std::string_view(buffer, std::min<std::size_t>(length, sizeof buffer - 1)));
}

std::u16string Decimal(std::int64_t value) { return Utf8ToUtf16(std::to_string(value)); }

}  // namespace

std::u16string MonitorHead(std::u16string_view scriptName, bool working) {
  std::u16string page = html::kHeadBeforeScript;
  sys::AppendHtmlEscaped<char16_t>(page, scriptName);
  page += html::kHeadAfterScript;
  page += working ? html::kBodyWorking : html::kBodyClosing;
  page += html::kTableStart;
  page += html::kTitle;
  page += html::kBarStart;
  return page;
}

void AppendMonitorBar(std::u16string& page, std::int32_t percent, std::u16string_view userAgent) {
  if (userAgent.find(html::kCellAgentMark) != std::u16string_view::npos) {
    for (std::int32_t i = 0; i < kFullPercent; i += kPercentPerCell) {
      page += i < percent ? html::kCellFilled : html::kCellEmpty;
    }
  } else {
    page += html::kBarFilledStart;
    page += Decimal(percent);
    page += html::kBarFilledEnd;
    page += Decimal(std::int64_t{kFullPercent} - percent);
    page += html::kBarEmptyEnd;
  }
  page += html::kBarEnd;
}

std::u16string MonitorSizesText(std::int32_t transferred, std::int32_t total) {
  if (total / kMega > 1) {
    return Format("%.1fM / %.1fM ", double(transferred) / kMega, double(total) / kMega);
  }
  if (total / kKilo > 1) {
    return Format("%.1fK / %.1fK ", double(transferred) / kKilo, double(total) / kKilo);
  }
  return Format("%dB / %dB ", transferred, total);
}

std::u16string MonitorTimeText(std::int32_t remaining, std::int32_t bytesPerSec) {
  if (bytesPerSec == 0) return {};
  // Wide, so the quotient of the most negative value by -1 cannot overflow.
  const std::int64_t seconds = std::int64_t{remaining} / bytesPerSec;
  std::u16string text =
      Format("%02lld:%02lld:%02lld left (At ", static_cast<long long>(seconds / kSecondsPerHour),
             static_cast<long long>(seconds % kSecondsPerHour / kSecondsPerMinute),
             static_cast<long long>(seconds % kSecondsPerMinute));
  const double rate = bytesPerSec;
  if (rate / kMega > 1.0) return text + Format("%.1fMB/sec) ", rate / kMega);
  if (rate / kKilo > 1.0) return text + Format("%.1fKB/sec) ", rate / kKilo);
  return text + Format("%dB/sec) ", bytesPerSec);
}

void AppendMonitorTail(std::u16string& page, std::u16string_view sizes, std::int32_t percent) {
  page += html::kRightCell;
  page += sizes;
  page += html::kPercentOpen;
  page += Decimal(percent);
  page += html::kPageEnd;
}

}  // namespace vant::progress
