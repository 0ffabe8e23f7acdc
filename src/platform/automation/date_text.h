// Automation dates (days since 1899-12-30, the fraction being the time of
// day) as text, and the calendar arithmetic under them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/automation/hresult.h"

namespace vant::detail {

// The first and last day an automation date can hold: 100-01-01 and 9999-12-31.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958465.0;
// Days from 1899-12-30 (day zero of automation dates) to 1970-01-01.
constexpr std::int64_t kUnixEpochSerial = 25569;

// A day of the proleptic Gregorian calendar.
struct Civil {
  std::int64_t year = 0;
  unsigned month = 0;  // 1..12
  unsigned day = 0;    // 1..31
};

// Days since 1970-01-01 of a date, and back (H. Hinnant's algorithms).
std::int64_t DaysFromCivil(Civil c);
Civil CivilFromDays(std::int64_t days);

// US short form as automation shows dates: "1/5/2024 3:04:05 PM"; the date
// alone at midnight ("1/5/2024"), the time alone on day zero ("3:04:05 PM").
std::u16string FormatDate(double value);

// Reads "2024-01-05", "2024-01-05 15:04[:05]" (also with 'T'), "1/5/2024",
// "January 5, 2024", "Jan 5 2024", "5 January 2024" (English month names or
// their first three letters), each optionally followed by a time as in
// "1/5/2024 3:04[:05] PM", or a time alone ("15:04", "3:04:05 PM"); two-digit
// years 00-29 are 2000-2029, 30-99 are 1930-1999. DISP_E_TYPEMISMATCH for
// anything else or an impossible date or time.
HRESULT ParseDateText(std::u16string_view text, double* out);

}  // namespace vant::detail
