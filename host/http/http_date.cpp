#include "host/http/http_date.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace vant::host::http {
namespace {

constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<std::string_view, 7> kDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr int kTwoDigitYearPivot = 70;  // RFC 850 years: 70..99 → 19xx

bool IsAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::vector<std::string_view> Tokens(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && !IsAlnum(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && IsAlnum(text[i])) ++i;
    if (i > start) out.push_back(text.substr(start, i - start));
  }
  return out;
}

std::optional<int> Number(std::string_view s) {
  if (s.empty() || s.size() > 4) return std::nullopt;
  int value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::optional<int> Month(std::string_view s) {
  for (std::size_t i = 0; i < kMonths.size(); ++i)
    if (s == kMonths[i]) return static_cast<int>(i);
  return std::nullopt;
}

}  // namespace

// Every response's Date header asks for the current second: each thread
// keeps the last text it made.
std::string_view HttpDateView(std::time_t when) {
  thread_local std::time_t lastWhen = -1;
  thread_local char lastText[40];
  thread_local std::size_t lastSize = 0;
  if (when == lastWhen) return {lastText, lastSize};
  std::tm tm{};
  gmtime_r(&when, &tm);
  const int n = std::snprintf(lastText, sizeof lastText, "%s, %02d %s %04d %02d:%02d:%02d GMT",
                              kDays[static_cast<std::size_t>(tm.tm_wday)].data(), tm.tm_mday,
                              kMonths[static_cast<std::size_t>(tm.tm_mon)].data(),
                              tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
  lastSize = n < 0 ? 0 : std::min(static_cast<std::size_t>(n), sizeof lastText - 1);
  lastWhen = when;
  return {lastText, lastSize};
}

std::string FormatHttpDate(std::time_t when) { return std::string(HttpDateView(when)); }

std::optional<std::time_t> ParseHttpDate(std::string_view text) {
  const auto t = Tokens(text);
  // Weekday first; asctime puts the month next, the other forms the day.
  if (t.size() < 7 || Number(t[0])) return std::nullopt;
  const bool asctime = !Number(t[1]).has_value();
  const auto month = Month(asctime ? t[1] : t[2]);
  const auto day = Number(asctime ? t[2] : t[1]);
  auto year = Number(asctime ? t[6] : t[3]);
  const std::size_t clock = asctime ? 3 : 4;
  const auto hour = Number(t[clock]);
  const auto minute = Number(t[clock + 1]);
  const auto second = Number(t[clock + 2]);
  if (!month || !day || !year || !hour || !minute || !second) return std::nullopt;
  if (!asctime && t[3].size() == 2) *year += *year >= kTwoDigitYearPivot ? 1900 : 2000;
  if (*day < 1 || *day > 31 || *hour > 23 || *minute > 59 || *second > 60 || *year < 1970)
    return std::nullopt;
  std::tm tm{};
  tm.tm_year = *year - 1900;
  tm.tm_mon = *month;
  tm.tm_mday = *day;
  tm.tm_hour = *hour;
  tm.tm_min = *minute;
  tm.tm_sec = *second;
  return timegm(&tm);
}

}  // namespace vant::host::http
