#include "platform/fs/fault_injection.h"

#include <atomic>

namespace vant::fs {
namespace {

constexpr int kOff = -1;

// One countdown: `remaining` operations pass before one fails; kOff when
// disarmed. The error is written before the count, so a thread that sees
// the count also sees its error.
struct Countdown {
  std::atomic<int> remaining{kOff};
  std::atomic<int> error{0};

  void Arm(int n, int code) {
    error.store(code);
    remaining.store(n < 0 ? kOff : n);
  }

  int Consume() {
    int current = remaining.load(std::memory_order_relaxed);
    while (current != kOff) {
      // Exactly one caller moves the count from 0 to kOff and fails.
      if (remaining.compare_exchange_weak(current, current - 1)) {
        return current == 0 ? error.load() : 0;
      }
    }
    return 0;
  }
};

Countdown g_writes;
Countdown g_renames;
Countdown g_opens;

}  // namespace

void FaultInjection::FailNthWrite(int n, int error) { g_writes.Arm(n, error); }
void FaultInjection::FailNthRename(int n, int error) { g_renames.Arm(n, error); }
void FaultInjection::FailNthOpen(int n, int error) { g_opens.Arm(n, error); }

void FaultInjection::Reset() {
  g_writes.Arm(kOff, 0);
  g_renames.Arm(kOff, 0);
  g_opens.Arm(kOff, 0);
}

int FaultInjection::OnWrite() { return g_writes.Consume(); }
int FaultInjection::OnRename() { return g_renames.Consume(); }
int FaultInjection::OnOpen() { return g_opens.Consume(); }

}  // namespace vant::fs
