// The pieces of the upload monitor page. ShowMonitor sends the page in two
// writes: MonitorHead first, then the bar, the time-and-speed cell, the
// sizes and the tail.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vant::progress {

// The head (reloading `scriptName` every second), the body tag (closing the
// window when not working), and the table up to the bar's cells. The script
// path is HTML-escaped, so a path with a quote cannot break out of the
// attribute.
std::u16string MonitorHead(std::u16string_view scriptName, bool working);

// The bar's cells for `percent`, then the markup up to the left cell: fifty
// small cells for agents containing "MSIE" (case-sensitive), two cells sized
// in per cent for any other.
void AppendMonitorBar(std::u16string& page, std::int32_t percent, std::u16string_view userAgent);

// "600B / 1000B ", "1.5K / 2.9K " or "1.5M / 2.9M " by the total's integer
// quotients of 1024 and 1048576 (the unit is used when the quotient is
// above 1).
std::u16string MonitorSizesText(std::int32_t transferred, std::int32_t total);

// "00:01:05 left (At 12.3KB/sec) "; empty when the rate is 0.
std::u16string MonitorTimeText(std::int32_t remaining, std::int32_t bytesPerSec);

// The right cell with the sizes and "(P%)", and the end of the page.
void AppendMonitorTail(std::u16string& page, std::u16string_view sizes, std::int32_t percent);

}  // namespace vant::progress
