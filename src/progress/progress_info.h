// One upload's progress record and the arithmetic the readers derive from it.
#pragma once

#include <cstdint>
#include <string>

namespace vant::progress {

// The name a record carries while no form element is being received.
inline constexpr char16_t kIdleName[] = u"VANTUpload Professional";

struct ProgressInfo {
  std::int32_t total = 0;          // body length the upload announced; 0 when idle
  std::int32_t remaining = 0;      // body bytes not yet read; 0 before the first chunk
  std::uint32_t startTime = 0;     // millisecond clock at upload start
  std::uint32_t lastReadTime = 0;  // millisecond clock after the latest chunk
  std::u16string currentName = kIdleName;
  std::int32_t working = 1;  // 0 from the upload's release until the reset
};

// Per cent of the body read, truncated; 0 unless total > 0 and remaining > 0.
std::int32_t ProgressPercent(const ProgressInfo& record);

// Bytes per second between startTime and lastReadTime (an unsigned
// difference, so a clock wrap in between still gives the true interval),
// truncated; 0 unless total > 0, remaining > 0 and the interval is not 0.
// A rate beyond the 32-bit range reads as the nearest 32-bit value.
std::int32_t ProgressRate(const ProgressInfo& record);

// Bytes read so far: total - remaining.
std::int32_t TransferredBytes(const ProgressInfo& record);

// Puts the record back into its initial state.
void ResetProgressInfo(ProgressInfo& record);

}  // namespace vant::progress
