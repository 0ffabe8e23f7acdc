#include "download/validators.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace vant::download {
namespace {

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr char kHexDigits[] = "0123456789ABCDEF";

// FNV-1a over 64 bits, fed byte by byte, run with two seeds at once: the
// entity tag's two halves hash the same bytes, so one pass serves both.
class Fnv64Pair {
 public:
  void Add(std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      const std::uint64_t byte = (value >> (8 * i)) & 0xFF;
      high_ = (high_ ^ byte) * kPrime;
      low_ = (low_ ^ byte) * kPrime;
    }
  }
  std::uint64_t high() const { return high_; }
  std::uint64_t low() const { return low_; }

 private:
  static constexpr std::uint64_t kPrime = 0x100000001B3ULL;
  std::uint64_t high_ = 0xCBF29CE484222325ULL;
  std::uint64_t low_ = 0x84222325CBF29CE4ULL;
};

// The last date text this thread formatted: a download formats the same
// file's date request after request, and the text depends on nothing else.
struct LastDate {
  std::int64_t seconds = 0;
  std::string text;
};
thread_local LastDate lastDate;

// The last entity tag this thread made and what it was made of: the same
// file downloaded again gets the same tag without hashing its path again.
struct LastEntityTag {
  std::u16string path;
  std::int64_t length = 0;
  std::int64_t seconds = 0;
  std::int32_t nanoseconds = 0;
  std::string tag;
};
thread_local LastEntityTag lastEntityTag;

std::string FormatHttpDate(std::int64_t unixSeconds);
std::string MakeEntityTag(std::u16string_view path, const fs::FileAttributes& attributes,
                          std::int64_t contentLength);

}  // namespace

std::string_view HttpDate(std::int64_t unixSeconds) {
  if (lastDate.text.empty() || lastDate.seconds != unixSeconds) {
    lastDate.text = FormatHttpDate(unixSeconds);
    lastDate.seconds = unixSeconds;
  }
  return lastDate.text;
}

std::string_view EntityTag(std::u16string_view path, const fs::FileAttributes& attributes,
                           std::int64_t contentLength) {
  LastEntityTag& last = lastEntityTag;
  if (last.tag.empty() || last.length != contentLength ||
      last.seconds != attributes.lastWriteSeconds ||
      last.nanoseconds != attributes.lastWriteNanoseconds || last.path.size() != path.size() ||
      std::memcmp(last.path.data(), path.data(), path.size() * sizeof(char16_t)) != 0) {
    last.tag = MakeEntityTag(path, attributes, contentLength);
    last.path = path;
    last.length = contentLength;
    last.seconds = attributes.lastWriteSeconds;
    last.nanoseconds = attributes.lastWriteNanoseconds;
  }
  return last.tag;
}

namespace {

// Formatted by hand, not by snprintf: a download formats one or two of
// these per request. Years outside 0..9999 (a file dated absurdly) keep
// the printf form, "%04d", so every date reads as it always has.
std::string FormatHttpDate(std::int64_t unixSeconds) {
  using namespace std::chrono;
  const sys_seconds time{seconds{unixSeconds}};
  const sys_days day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss clock{time - day};
  const int year = static_cast<int>(date.year());
  const auto hours = static_cast<int>(clock.hours().count());
  const auto minutes = static_cast<int>(clock.minutes().count());
  const auto secs = static_cast<int>(clock.seconds().count());
  const char* weekdayName = kDays[weekday{day}.c_encoding()];
  const char* monthName = kMonths[static_cast<unsigned>(date.month()) - 1];
  if (year < 0 || year > 9999) {
    char text[96];
    std::snprintf(text, sizeof text, "%s, %02u %s %04d %02d:%02d:%02d GMT", weekdayName,
                  static_cast<unsigned>(date.day()), monthName, year, hours, minutes, secs);
    return text;
  }
  std::string out(29, ' ');
  char* p = out.data();
  const auto put = [&p](const char* text, int n) {
    for (int i = 0; i < n; ++i) *p++ = text[i];
  };
  const auto digits = [&p](int value, int n) {
    for (int i = n - 1; i >= 0; --i, value /= 10) p[i] = static_cast<char>('0' + value % 10);
    p += n;
  };
  put(weekdayName, 3);
  put(", ", 2);
  digits(static_cast<int>(static_cast<unsigned>(date.day())), 2);
  put(" ", 1);
  put(monthName, 3);
  put(" ", 1);
  digits(year, 4);
  put(" ", 1);
  digits(hours, 2);
  put(":", 1);
  digits(minutes, 2);
  put(":", 1);
  digits(secs, 2);
  put(" GMT", 4);
  return out;
}

std::string MakeEntityTag(std::u16string_view path, const fs::FileAttributes& attributes,
                          std::int64_t contentLength) {
  Fnv64Pair fnv;
  // The path's cache key (a-z upper-cased), hashed as it is made.
  for (char16_t c : path) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    fnv.Add(c, 2);
  }
  fnv.Add(static_cast<std::uint64_t>(contentLength), 8);
  fnv.Add(static_cast<std::uint64_t>(attributes.lastWriteSeconds), 8);
  fnv.Add(static_cast<std::uint32_t>(attributes.lastWriteNanoseconds), 4);
  const std::uint64_t halves[] = {fnv.high(), fnv.low()};
  // A quotation mark, each half as 16 upper-case hex digits, a quotation mark.
  std::string tag(34, '"');
  char* p = tag.data() + 1;
  for (const std::uint64_t half : halves) {
    for (int shift = 60; shift >= 0; shift -= 4) *p++ = kHexDigits[(half >> shift) & 0xF];
  }
  return tag;
}

}  // namespace
}  // namespace vant::download
