#include "platform/sys/clock.h"

#include <time.h>

#include <chrono>
#include <ctime>

namespace vant::sys {

uint32_t TickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  // Truncation to 32 bits is the wrap.
  return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

int64_t CoarseSteadyNanos() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

int64_t LocalUtcOffsetSeconds(int64_t utcSeconds) {
  const auto when = static_cast<std::time_t>(utcSeconds);
  std::tm local{};
  if (localtime_r(&when, &local) == nullptr) return 0;
  return local.tm_gmtoff;
}

}  // namespace vant::sys
