// What stops a running page script: its deadline (Server.ScriptTimeout) or
// an abort request (Response.End, a client gone). The engine passes one of
// these as the heap's user data; the interpreter polls it every few hundred
// thousand instructions through vant_duk_exec_timeout_check, and once it
// says stop, the script ends with an error no catch block can keep.
#pragma once

#include <atomic>
#include <chrono>
#include <ratio>
#include <type_traits>

#include "platform/sys/clock.h"

namespace vant::host::pages {

class ScriptInterrupt {
 public:
  using Clock = std::chrono::steady_clock;
  static_assert(std::is_same_v<Clock::period, std::nano>);

  // Stop the script once now is past deadline.
  void SetDeadline(Clock::time_point deadline) {
    deadline_.store(deadline.time_since_epoch().count(), std::memory_order_relaxed);
  }

  // Stop the script at the next poll; may be called from any thread.
  void Abort() { aborted_.store(true, std::memory_order_relaxed); }

  // Clears the deadline and the abort, for the next page on a reused heap.
  void Reset() {
    SetDeadline(Clock::time_point::max());
    aborted_.store(false, std::memory_order_relaxed);
  }

  bool Aborted() const { return aborted_.load(std::memory_order_relaxed); }

  // Asked before every call into an object too, so it reads the per-tick
  // clock (Clock's epoch): a deadline of seconds may pass one tick late.
  bool ShouldStop() const {
    if (Aborted()) return true;
    return sys::CoarseSteadyNanos() >= deadline_.load(std::memory_order_relaxed);
  }

 private:
  std::atomic<Clock::rep> deadline_{Clock::time_point::max().time_since_epoch().count()};
  std::atomic<bool> aborted_{false};
};

}  // namespace vant::host::pages
