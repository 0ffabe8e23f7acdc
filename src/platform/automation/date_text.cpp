// Date formatting and parsing for the variant coercions.
#include "platform/automation/date_text.h"

#include <cmath>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/automation/number_text.h"
#include "platform/sys/ascii.h"

namespace vant::detail {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr int kTwoDigitYearPivot = 30;

unsigned DaysInMonth(std::int64_t year, unsigned month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

std::string TwoDigits(std::int64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); }

std::string FormatTime(std::int64_t seconds) {
  const std::int64_t hour = seconds / 3600;
  const std::int64_t hour12 = hour % 12 == 0 ? 12 : hour % 12;
  return std::to_string(hour12) + ":" + TwoDigits(seconds / 60 % 60) + ":" +
         TwoDigits(seconds % 60) + (hour < 12 ? " AM" : " PM");
}

// A small cursor over the text being parsed.
struct Cursor {
  std::u16string_view text;
  std::size_t pos = 0;

  bool AtEnd() const { return pos >= text.size(); }
  bool Take(char16_t c) {
    if (AtEnd() || text[pos] != c) return false;
    ++pos;
    return true;
  }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(text[pos])) ++pos;
  }
  // Reads 1..maxDigits decimal digits; false when there are none.
  bool Number(int maxDigits, std::int64_t* out) {
    std::int64_t value = 0;
    int count = 0;
    while (!AtEnd() && count < maxDigits && text[pos] >= u'0' && text[pos] <= u'9') {
      value = value * 10 + (text[pos++] - u'0');
      ++count;
    }
    *out = value;
    return count > 0;
  }
};

// "h:mm[:ss][ AM|PM]" → seconds since midnight.
bool ParseTime(Cursor& c, std::int64_t* seconds) {
  std::int64_t h = 0, m = 0, s = 0;
  if (!c.Number(2, &h) || !c.Take(u':') || !c.Number(2, &m)) return false;
  if (c.Take(u':') && !c.Number(2, &s)) return false;
  c.SkipBlanks();
  bool pm = false;
  bool meridiem = false;
  if (!c.AtEnd() && (c.text[c.pos] == u'A' || c.text[c.pos] == u'a' || c.text[c.pos] == u'P' ||
                     c.text[c.pos] == u'p')) {
    pm = c.text[c.pos] == u'P' || c.text[c.pos] == u'p';
    ++c.pos;
    if (!c.Take(u'M') && !c.Take(u'm')) return false;
    meridiem = true;
  }
  if (meridiem && (h < 1 || h > 12)) return false;
  if (meridiem) h = h % 12 + (pm ? 12 : 0);
  if (h > 23 || m > 59 || s > 59) return false;
  *seconds = h * 3600 + m * 60 + s;
  return true;
}

constexpr std::u16string_view kMonthNames[] = {u"january",   u"february", u"march",    u"april",
                                               u"may",       u"june",     u"july",     u"august",
                                               u"september", u"october",  u"november", u"december"};
constexpr std::size_t kMonthAbbreviation = 3;

// A month's English name or its first three letters, any case, an optional
// '.' after it: 1-12, or 0 when there is none.
unsigned ParseMonthName(Cursor& c) {
  std::u16string word;
  while (!c.AtEnd() && sys::AsciiLower(c.text[c.pos]) >= u'a' &&
         sys::AsciiLower(c.text[c.pos]) <= u'z') {
    word += sys::AsciiLower(c.text[c.pos++]);
  }
  if (word.size() < kMonthAbbreviation) return 0;
  for (unsigned i = 0; i < std::size(kMonthNames); ++i) {
    if (word == kMonthNames[i] || word == kMonthNames[i].substr(0, kMonthAbbreviation)) {
      c.Take(u'.');
      return i + 1;
    }
  }
  return 0;
}

// "January 1, 2030", "Jan 1 2030" or "1 January 2030" → calendar date.
bool ParseNamedDay(Cursor& c, Civil* date) {
  std::int64_t day = 0, year = 0;
  unsigned month = 0;
  if (c.Number(2, &day)) {
    c.SkipBlanks();
    month = ParseMonthName(c);
  } else {
    month = ParseMonthName(c);
    c.SkipBlanks();
    if (!c.Number(2, &day)) return false;
    c.Take(u',');
  }
  c.SkipBlanks();
  if (month == 0 || !c.Number(4, &year)) return false;
  *date = Civil{year, month, static_cast<unsigned>(day)};
  return day >= 1 && day <= DaysInMonth(year, month);
}

// "yyyy-mm-dd" or "m/d/yyyy" → calendar date; false when neither form fits.
bool ParseDay(Cursor& c, Civil* date) {
  std::int64_t a = 0, b = 0, y = 0;
  const std::size_t start = c.pos;
  if (!c.Number(4, &a)) return false;
  const bool iso = c.pos - start == 4;
  if (iso) {
    if (!c.Take(u'-') || !c.Number(2, &b) || !c.Take(u'-') || !c.Number(2, &y)) return false;
    *date = Civil{a, static_cast<unsigned>(b), static_cast<unsigned>(y)};
  } else {
    const std::size_t yearStart = (c.Take(u'/') && c.Number(2, &b) && c.Take(u'/')) ? c.pos : 0;
    if (yearStart == 0 || !c.Number(4, &y)) return false;
    if (c.pos - yearStart <= 2) y += y < kTwoDigitYearPivot ? 2000 : 1900;
    *date = Civil{y, static_cast<unsigned>(a), static_cast<unsigned>(b)};
  }
  return date->month >= 1 && date->month <= 12 && date->day >= 1 &&
         date->day <= DaysInMonth(date->year, date->month);
}

}  // namespace

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(Civil c) {
  const std::int64_t y = c.year - (c.month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (c.month + (c.month > 2 ? -3 : 9)) + 2) / 5 + c.day - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

Civil CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  Civil c;
  c.day = doy - (153 * mp + 2) / 5 + 1;
  c.month = mp < 10 ? mp + 3 : mp - 9;
  c.year = static_cast<std::int64_t>(yoe) + era * 400 + (c.month <= 2 ? 1 : 0);
  return c;
}

std::u16string FormatDate(double value) {
  double whole = std::trunc(value);
  auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(value - whole) * kSecondsPerDay));
  // Rounding up to midnight moves to the next calendar day, whatever the sign.
  if (seconds == kSecondsPerDay) {
    seconds = 0;
    whole += 1;
  }
  const auto serial = static_cast<std::int64_t>(whole);
  if (serial == 0) return sys::Widen(FormatTime(seconds));
  const Civil c = CivilFromDays(serial - kUnixEpochSerial);
  std::string text =
      std::to_string(c.month) + "/" + std::to_string(c.day) + "/" + std::to_string(c.year);
  if (seconds != 0) text += " " + FormatTime(seconds);
  return sys::Widen(text);
}

HRESULT ParseDateText(std::u16string_view text, double* out) {
  Cursor c{TrimBlanks(text)};
  Civil date;
  std::int64_t seconds = 0;
  double serial = 0;
  bool hasDay = ParseDay(c, &date);
  if (!hasDay) {
    c.pos = 0;
    hasDay = ParseNamedDay(c, &date);
  }
  if (hasDay) {
    serial = static_cast<double>(DaysFromCivil(date) + kUnixEpochSerial);
    if (serial < kMinDate || serial > kMaxDate) return DISP_E_TYPEMISMATCH;
    if (c.AtEnd()) {
      *out = serial;
      return S_OK;
    }
    if (!c.Take(u'T')) c.SkipBlanks();
  } else {
    c.pos = 0;
  }
  if (!ParseTime(c, &seconds) || !c.AtEnd()) return DISP_E_TYPEMISMATCH;
  const double fraction = static_cast<double>(seconds) / kSecondsPerDay;
  // Before day zero the time still counts forward from midnight.
  *out = serial < 0 ? serial - fraction : serial + fraction;
  return S_OK;
}

}  // namespace vant::detail
