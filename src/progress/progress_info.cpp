#include "progress/progress_info.h"

#include <cmath>
#include <limits>

namespace vant::progress {
namespace {

constexpr double kPercentScale = 100.0;
constexpr double kMillisecondsPerSecond = 1000.0;

// Truncates toward zero and clamps to the 32-bit range, so a nonsense record
// (remaining above total, a huge rate over one millisecond) never makes an
// out-of-range conversion.
std::int32_t TruncateToInt32(double value) {
  constexpr double kMin = std::numeric_limits<std::int32_t>::min();
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  if (std::isnan(value)) return 0;
  if (value <= kMin) return std::numeric_limits<std::int32_t>::min();
  if (value >= kMax) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::trunc(value));
}

bool IsRunning(const ProgressInfo& record) { return record.total > 0 && record.remaining > 0; }

double ReadSoFar(const ProgressInfo& record) {
  return static_cast<double>(static_cast<std::int64_t>(record.total) - record.remaining);
}

}  // namespace

std::int32_t ProgressPercent(const ProgressInfo& record) {
  if (!IsRunning(record)) return 0;
  return TruncateToInt32(ReadSoFar(record) / record.total * kPercentScale);
}

std::int32_t ProgressRate(const ProgressInfo& record) {
  const std::uint32_t elapsed = record.lastReadTime - record.startTime;
  if (!IsRunning(record) || elapsed == 0) return 0;
  return TruncateToInt32(ReadSoFar(record) * kMillisecondsPerSecond / elapsed);
}

std::int32_t TransferredBytes(const ProgressInfo& record) {
  // Computed wide and narrowed modulo 2^32, as 32-bit arithmetic would.
  return static_cast<std::int32_t>(static_cast<std::int64_t>(record.total) - record.remaining);
}

void ResetProgressInfo(ProgressInfo& record) { record = ProgressInfo{}; }

}  // namespace vant::progress
