// The system millisecond clock.
#pragma once

#include <cstdint>

namespace vant::sys {

// Milliseconds on a steady clock, wrapping at 2^32 (about 49.7 days) like the
// system millisecond timer the components were written against. Differences
// taken with unsigned subtraction stay correct across a wrap. Never fails.
uint32_t TickCount();

}  // namespace vant::sys
