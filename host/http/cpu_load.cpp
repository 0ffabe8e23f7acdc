#include "host/http/cpu_load.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

namespace vant::host::http {
namespace {

constexpr auto kSamplePeriod = std::chrono::milliseconds(200);
// Idle below this share of the period counts as saturated: a tenth leaves
// room for the moments a core waits for a wakeup under full load.
constexpr std::uint64_t kIdleShareDivisor = 10;

}  // namespace

bool ParseCpuTimes(const char* text, std::uint64_t& total, std::uint64_t& idle) {
  if (text[0] != 'c' || text[1] != 'p' || text[2] != 'u' || text[3] != ' ') return false;
  const char* p = text + 4;
  total = 0;
  idle = 0;
  // user nice system idle iowait irq softirq steal; guest time is already
  // part of user and nice.
  for (int field = 0; field < 8; ++field) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(p, &end, 10);
    if (end == p) return field >= 4;  // old kernels stop after idle
    p = end;
    total += value;
    if (field == 3 || field == 4) idle += value;  // idle, iowait
  }
  return true;
}

bool CpuLoadMeter::Saturated() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastSample_ < kSamplePeriod) return saturated_;
  lastSample_ = now;
  char text[512];
  const int fd = ::open("/proc/stat", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return saturated_ = false;
  const ssize_t n = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  std::uint64_t total = 0;
  std::uint64_t idle = 0;
  if (n <= 0) return saturated_ = false;
  text[n] = '\0';
  if (!ParseCpuTimes(text, total, idle)) return saturated_ = false;
  // iowait may step back on some kernels: that period tells nothing.
  const bool valid = lastTotal_ != 0 && total > lastTotal_ && idle >= lastIdle_;
  const std::uint64_t spent = total - lastTotal_;
  const std::uint64_t rested = idle - lastIdle_;
  lastTotal_ = total;
  lastIdle_ = idle;
  return saturated_ = valid && rested * kIdleShareDivisor < spent;
}

}  // namespace vant::host::http
