#include "platform/sys/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vant::sys {
namespace {

TEST(TickCount, AdvancesWithTime) {
  const uint32_t start = TickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  // Unsigned difference, as callers compute it, survives a wrap in between.
  const uint32_t elapsed = TickCount() - start;
  EXPECT_GE(elapsed, 25u);
  EXPECT_LT(elapsed, 5000u);
}

TEST(TickCount, NeverGoesBackwards) {
  uint32_t previous = TickCount();
  for (int i = 0; i < 100000; ++i) {
    const uint32_t now = TickCount();
    ASSERT_LT(now - previous, 1000u) << "went from " << previous << " to " << now;
    previous = now;
  }
}

}  // namespace
}  // namespace vant::sys
