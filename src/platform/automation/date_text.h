// Automation dates (days since 1899-12-30, the fraction being the time of
// day) as text. Used by the variant coercions only.
#pragma once

#include <string>
#include <string_view>

#include "platform/automation/hresult.h"

namespace vant::detail {

// The first and last day an automation date can hold: 100-01-01 and 9999-12-31.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958465.0;

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
