#include "progress/progress_info.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace vant::progress {
namespace {

struct ArithmeticRow {
  const char* what;
  std::int32_t total;
  std::int32_t remaining;
  std::uint32_t startTime;
  std::uint32_t lastReadTime;
  std::int32_t percent;
  std::int32_t rate;
};

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

const ArithmeticRow kArithmetic[] = {
    {"3 of 4 read in a second", 4, 1, 1000, 2000, 75, 3},
    {"2 of 3 truncates", 3, 1, 0, 1000, 66, 2},
    {"rate truncates", 1000, 1, 0, 3, 99, 333000},
    {"idle record", 0, 0, 0, 0, 0, 0},
    {"total 0 with bytes left", 0, 5, 0, 10, 0, 0},
    {"negative total", -10, 5, 0, 10, 0, 0},
    {"before the first chunk", 1000, 0, 5, 5, 0, 0},
    {"after the last chunk", 1000, 0, 5, 900, 0, 0},
    {"two reads in one millisecond", 1000, 400, 77, 77, 60, 0},
    {"clock wrapped between the reads", 2000, 1000, 0xFFFFFF00u, 0x000000F4u, 50, 2000},
    {"rate beyond 32 bits clamps", kMax, 1, 0, 1, 99, kMax},
    {"remaining above total stays in range", 1, kMax, 0, 1,
     std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min()},
};

TEST(ProgressInfo, PercentAndRate) {
  for (const ArithmeticRow& row : kArithmetic) {
    ProgressInfo record;
    record.total = row.total;
    record.remaining = row.remaining;
    record.startTime = row.startTime;
    record.lastReadTime = row.lastReadTime;
    EXPECT_EQ(ProgressPercent(record), row.percent) << row.what;
    EXPECT_EQ(ProgressRate(record), row.rate) << row.what;
  }
}

}  // namespace
}  // namespace vant::progress
