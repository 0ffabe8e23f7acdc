// HTTP dates: the IMF-fixdate form we send ("Sun, 06 Nov 1994 08:49:37 GMT")
// and the three forms a client may send in If-Modified-Since.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace vant::host::http {

std::string FormatHttpDate(std::time_t when);
// The same text without a string of its own, for the header block and the
// Expires header: valid until this thread formats its next date.
std::string_view HttpDateView(std::time_t when);

// Accepts IMF-fixdate, the obsolete RFC 850 form ("Sunday, 06-Nov-94
// 08:49:37 GMT") and asctime ("Sun Nov  6 08:49:37 1994"). Returns nothing
// for anything else or an impossible date.
std::optional<std::time_t> ParseHttpDate(std::string_view text);

}  // namespace vant::host::http
