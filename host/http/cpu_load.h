// Whether the machine's processors have time to spare. The worker pool asks
// before it adds a thread for a queue that moves but slowly: when every core
// is already busy (our workers, the load's own clients, other programs), a
// new thread cannot run sooner, it only adds context switches.
#pragma once

#include <chrono>
#include <cstdint>

namespace vant::host::http {

class CpuLoadMeter {
 public:
  // True when the processors were idle less than a tenth of the time over
  // the last sample period (a fifth of a second; the verdict is kept
  // between samples). False when the system cannot tell. One caller at a
  // time.
  bool Saturated();

 private:
  std::chrono::steady_clock::time_point lastSample_{};
  std::uint64_t lastTotal_ = 0;
  std::uint64_t lastIdle_ = 0;
  bool saturated_ = false;
};

// The total and idle processor time of the machine, in clock ticks, from
// the summary line of /proc/stat ("cpu  user nice system idle iowait irq
// softirq steal ..."); false for text that does not hold one.
bool ParseCpuTimes(const char* text, std::uint64_t& total, std::uint64_t& idle);

}  // namespace vant::host::http
