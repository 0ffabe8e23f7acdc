// The system millisecond clock and the local time zone's offset.
#pragma once

#include <cstdint>

namespace vant::sys {

// Milliseconds on a steady clock, wrapping at 2^32 (about 49.7 days) like the
// system millisecond timer the components were written against. Differences
// taken with unsigned subtraction stay correct across a wrap. Never fails.
uint32_t TickCount();

// Nanoseconds on the steady clock (std::chrono::steady_clock's epoch) as
// the kernel keeps it per tick: up to one tick (a few ms) behind, and read
// without a clock source read, for checks made many times a request
// against limits of seconds.
int64_t CoarseSteadyNanos();

// Seconds to add to UTC to get local wall-clock time at the instant
// utcSeconds (seconds since 1970), daylight saving included; 0 when the
// system cannot tell (an instant outside what it can represent).
int64_t LocalUtcOffsetSeconds(int64_t utcSeconds);

}  // namespace vant::sys
