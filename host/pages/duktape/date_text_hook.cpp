// The date text hooks named in the generated duk_config.h (see
// ../duktape.cmake): Date.parse and `new Date(text)` read the texts classic
// JScript pages write, and Date's string forms are JScript's.
//
// The engine tries its own ISO 8601 reader first and calls the parser only
// when that fails. It calls the formatter for every string form but
// toISOString/toJSON (those keep ISO 8601).
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "duktape.h"
#include "platform/sys/clock.h"

namespace {

constexpr const char* kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonths[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

// US zone names JScript reads, as minutes east of UTC.
struct NamedZone {
  std::string_view name;
  int minutes;
};
constexpr NamedZone kZones[] = {{"utc", 0},    {"gmt", 0},    {"ut", 0},     {"z", 0},
                                {"est", -300}, {"edt", -240}, {"cst", -360}, {"cdt", -300},
                                {"mst", -420}, {"mdt", -360}, {"pst", -480}, {"pdt", -420}};

// No field of a date text is longer; longer digit runs are refused.
constexpr int kMaxDigits = 6;
constexpr int kMinPrefix = 3;  // "Jan", "Tue": the shortest month or day name read

struct Fields {
  int year = -1;
  int month = -1;  // 1-12
  int day = -1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  bool timeSeen = false;
  int meridian = 0;  // 0 none, 1 AM, 2 PM
  bool zoneGiven = false;
  int zoneMinutes = 0;
};

// Index of the name (0-based) that word, at least kMinPrefix letters, begins.
int NamePrefix(std::string_view word, const char* const* names, int count) {
  if (word.size() < kMinPrefix) return -1;
  for (int i = 0; i < count; ++i) {
    const std::string_view name = names[i];
    if (word.size() > name.size()) continue;
    bool same = true;
    for (std::size_t k = 0; k < word.size() && same; ++k) {
      same = word[k] == std::tolower(static_cast<unsigned char>(name[k]));
    }
    if (same) return i;
  }
  return -1;
}

class DateTextReader {
 public:
  explicit DateTextReader(std::string_view text) : text_(text) {}

  // False when the text is not a date JScript reads.
  bool Read(Fields& out) {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == ' ' || c == ',' || c == '\t') {
        ++pos_;
      } else if (c == '(') {
        if (!SkipComment()) return false;
      } else if (IsDigit(c)) {
        if (!ReadNumbers()) return false;
      } else if (std::isalpha(static_cast<unsigned char>(c))) {
        if (!ReadWord()) return false;
      } else if (c == '+' || c == '-') {
        if (!ReadOffset()) return false;
      } else {
        return false;
      }
    }
    return Finish(out);
  }

 private:
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  bool SkipComment() {
    int depth = 0;
    for (; pos_ < text_.size(); ++pos_) {
      if (text_[pos_] == '(') ++depth;
      if (text_[pos_] == ')' && --depth == 0) {
        ++pos_;
        return true;
      }
    }
    return false;
  }

  // Digits at pos_ as a number; -1 when there are none or too many.
  int Number(int* digits = nullptr) {
    int value = 0;
    int count = 0;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) {
      if (++count > kMaxDigits) return -1;
      value = value * 10 + (text_[pos_++] - '0');
    }
    if (digits != nullptr) *digits = count;
    return count == 0 ? -1 : value;
  }

  bool Peek(char c) const { return pos_ < text_.size() && text_[pos_] == c; }

  bool ReadNumbers() {
    int digits = 0;
    const int first = Number(&digits);
    if (first < 0) return false;
    if (Peek(':')) return ReadTime(first);
    if (Peek('/')) return ReadSlashDate(first, digits);
    // A lone number: the day, unless it cannot be one.
    if (first > 31 || digits > 2 || fields_.day >= 0) {
      if (fields_.year >= 0) return false;
      fields_.year = digits <= 2 ? 1900 + first : first;
      return true;
    }
    fields_.day = first;
    return true;
  }

  bool ReadTime(int hour) {
    if (fields_.timeSeen) return false;
    fields_.timeSeen = true;
    fields_.hour = hour;
    ++pos_;
    fields_.minute = Number();
    if (fields_.minute < 0) return false;
    if (Peek(':')) {
      ++pos_;
      fields_.second = Number();
      if (fields_.second < 0) return false;
      if (Peek('.')) {  // fractions of a second are read and dropped
        ++pos_;
        if (Number() < 0) return false;
      }
    }
    return true;
  }

  // m/d/y, or y/m/d when the first number is a full year.
  bool ReadSlashDate(int first, int firstDigits) {
    if (fields_.month >= 0) return false;
    ++pos_;
    const int second = Number();
    if (second < 0 || !Peek('/')) return false;
    ++pos_;
    int thirdDigits = 0;
    const int third = Number(&thirdDigits);
    if (third < 0) return false;
    if (firstDigits > 2) {
      fields_.year = first;
      fields_.month = second;
      fields_.day = third;
    } else {
      fields_.month = first;
      fields_.day = second;
      fields_.year = thirdDigits <= 2 ? 1900 + third : third;
    }
    return true;
  }

  bool ReadWord() {
    std::string word;
    while (pos_ < text_.size() &&
           (std::isalpha(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '.')) {
      if (text_[pos_] != '.')
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_])));
      ++pos_;
    }
    if (word == "am" || word == "pm") {
      if (fields_.meridian != 0) return false;
      fields_.meridian = word == "am" ? 1 : 2;
      return true;
    }
    for (const NamedZone& zone : kZones) {
      if (word != zone.name) continue;
      if (fields_.zoneGiven) return false;
      fields_.zoneGiven = true;
      fields_.zoneMinutes = zone.minutes;
      return true;
    }
    if (const int month = NamePrefix(word, kMonths, 12); month >= 0) {
      if (fields_.month >= 0) return false;
      fields_.month = month + 1;
      return true;
    }
    return NamePrefix(word, kWeekdays, 7) >= 0;  // a weekday name says nothing
  }

  // +hhmm, +hh:mm or +hh after a zone name or a time: the zone's offset.
  bool ReadOffset() {
    const int sign = text_[pos_] == '-' ? -1 : 1;
    ++pos_;
    if (!fields_.zoneGiven && !fields_.timeSeen) return false;
    int digits = 0;
    int value = Number(&digits);
    if (value < 0 || digits > 4) return false;
    int minutes = digits > 2 ? value / 100 * 60 + value % 100 : value * 60;
    if (digits <= 2 && Peek(':')) {
      ++pos_;
      const int extra = Number();
      if (extra < 0) return false;
      minutes += extra;
    }
    fields_.zoneMinutes += sign * minutes;
    fields_.zoneGiven = true;
    return true;
  }

  bool Finish(Fields& out) {
    Fields& f = fields_;
    if (f.year < 0 || f.month < 1 || f.month > 12 || f.day < 1 || f.day > 31) return false;
    if (f.minute > 59 || f.second > 59) return false;
    if (f.meridian != 0) {
      if (f.hour < 1 || f.hour > 12) return false;
      if (f.hour == 12) f.hour = 0;
      if (f.meridian == 2) f.hour += 12;
    }
    if (f.hour > 23) return false;
    out = f;
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  Fields fields_;
};

constexpr double kMsPerSecond = 1000;

// The time value of the fields, in the zone they name or else local time.
double TimeValue(duk_context* ctx, const Fields& f) {
  duk_time_components parts{};
  parts.year = f.year;
  parts.month = f.month - 1;
  parts.day = f.day;
  parts.hours = f.hour;
  parts.minutes = f.minute;
  parts.seconds = f.second;
  const double wall = duk_components_to_time(ctx, &parts);
  if (f.zoneGiven) return wall - f.zoneMinutes * 60 * kMsPerSecond;
  // The offset at the wall time read as UTC is off by a daylight-saving
  // shift near a change; the offset at the corrected instant is not.
  const auto guess = static_cast<std::int64_t>(wall / kMsPerSecond);
  const std::int64_t first = vant::sys::LocalUtcOffsetSeconds(guess);
  const std::int64_t offset = vant::sys::LocalUtcOffsetSeconds(guess - first);
  return wall - static_cast<double>(offset) * kMsPerSecond;
}

// "UTC", "UTC+0800", "UTC-0530".
std::string ZoneText(duk_int_t offsetSeconds) {
  if (offsetSeconds == 0) return "UTC";
  const int minutes = (offsetSeconds < 0 ? -offsetSeconds : offsetSeconds) / 60;
  char text[16];
  std::snprintf(text, sizeof text, "UTC%c%02d%02d", offsetSeconds < 0 ? '-' : '+', minutes / 60,
                minutes % 60);
  return text;
}

// Years before 1 print as JScript does: "44 B.C.".
std::string YearText(duk_int_t year) {
  if (year > 0) return std::to_string(year);
  return std::to_string(1 - year) + " B.C.";
}

std::string LocaleTime(const duk_int_t* parts) {
  const int hour = parts[DUK_DATE_IDX_HOUR];
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d:%02d %s", hour % 12 == 0 ? 12 : hour % 12,
                static_cast<int>(parts[DUK_DATE_IDX_MINUTE]),
                static_cast<int>(parts[DUK_DATE_IDX_SECOND]), hour < 12 ? "AM" : "PM");
  return text;
}

std::string LocaleDate(const duk_int_t* parts) {
  char text[64];
  std::snprintf(text, sizeof text, "%s, %s %02d, ", kWeekdays[parts[DUK_DATE_IDX_WEEKDAY]],
                kMonths[parts[DUK_DATE_IDX_MONTH] - 1], static_cast<int>(parts[DUK_DATE_IDX_DAY]));
  return text + YearText(parts[DUK_DATE_IDX_YEAR]);
}

std::string Clock(const duk_int_t* parts) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(parts[DUK_DATE_IDX_HOUR]),
                static_cast<int>(parts[DUK_DATE_IDX_MINUTE]),
                static_cast<int>(parts[DUK_DATE_IDX_SECOND]));
  return text;
}

std::string Abbrev(const char* name) { return std::string(name, 3); }

std::string Format(const duk_int_t* parts, duk_int_t offset, duk_small_uint_t flags) {
  const bool date = (flags & DUK_DATE_FLAG_TOSTRING_DATE) != 0;
  const bool time = (flags & DUK_DATE_FLAG_TOSTRING_TIME) != 0;
  const std::string weekday = Abbrev(kWeekdays[parts[DUK_DATE_IDX_WEEKDAY]]);
  const std::string month = Abbrev(kMonths[parts[DUK_DATE_IDX_MONTH] - 1]);
  const std::string day = std::to_string(parts[DUK_DATE_IDX_DAY]);
  const std::string year = YearText(parts[DUK_DATE_IDX_YEAR]);
  if ((flags & DUK_DATE_FLAG_TOSTRING_LOCALE) != 0) {
    if (date && time) return LocaleDate(parts) + " " + LocaleTime(parts);
    return date ? LocaleDate(parts) : LocaleTime(parts);
  }
  if ((flags & DUK_DATE_FLAG_LOCALTIME) == 0) {  // toUTCString
    return weekday + ", " + day + " " + month + " " + year + " " + Clock(parts) + " UTC";
  }
  if (date && time) {
    return weekday + " " + month + " " + day + " " + Clock(parts) + " " + ZoneText(offset) + " " +
           year;
  }
  if (date) return weekday + " " + month + " " + day + " " + year;
  return Clock(parts) + " " + ZoneText(offset);
}

}  // namespace

extern "C" duk_bool_t vant_duk_parse_date(duk_context* ctx, const char* text) {
  Fields fields;
  if (!DateTextReader(text).Read(fields)) return 0;
  duk_push_number(ctx, TimeValue(ctx, fields));
  return 1;
}

extern "C" duk_bool_t vant_duk_format_date(duk_context* ctx, duk_int_t* parts, duk_int_t offset,
                                           duk_small_uint_t flags) {
  if ((flags & DUK_DATE_FLAG_SEP_T) != 0) return 0;  // ISO 8601 stays the engine's
  const std::string text = Format(parts, offset, flags);
  duk_push_lstring(ctx, text.data(), text.size());
  return 1;
}
