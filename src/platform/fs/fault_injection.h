// Test switch that makes the Nth file operation of a kind fail.
#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace vant::fs {

// The environment variable a fault plan is read from (see ParsePlan).
inline constexpr const char* kFaultPlanVariable = "VANT_FAULTS";

// One item of a fault plan: fail operation number `n` (from 0) of `kind`
// with errno `error`.
struct FaultItem {
  std::string kind;
  int n = 0;
  int error = 0;
  // Fail every (n + 1)th operation instead of once: for tests that run the
  // same failure many times against one process.
  bool repeat = false;
};

// A countdown to one simulated failure: Arm(n, error) lets n operations pass
// and fails the next one with `error`, then switches itself off. Safe to
// arm and consume from several threads; exactly one consumer sees the fault.
class FaultCountdown {
 public:
  // n < 0 switches the countdown off. With `repeat` the countdown starts
  // again at n after each failure instead of switching off.
  void Arm(int n, int error, bool repeat = false);
  // 0 to go ahead, else the errno to fail this operation with.
  int Consume();

 private:
  static constexpr int kOff = -1;
  // The error is stored before the count, so whoever sees the count sees it.
  std::atomic<int> remaining_{kOff};
  std::atomic<int> error_{0};
  std::atomic<int> period_{kOff};  // the count to start again at, or kOff
};

// A process-wide countdown per operation kind, off by default. Arming one
// makes the Nth following operation of that kind (counting from 0, so 0 is
// the very next one) fail with the given errno; the countdown then switches
// itself off. Thread-safe. Production code only consults it.
//
// The countdowns live in the shared platform runtime, so one countdown
// counts the operations of the host and of every loaded component module;
// vant-host arms them from its VANT_FAULTS plan at start (ParsePlan, Arm).
class FaultInjection {
 public:
  // File::Write calls, including the copies inside cross-volume moves.
  static void FailNthWrite(int n, int error);
  // Renames and links inside MoveReplacing and MoveNoReplace.
  static void FailNthRename(int n, int error);
  // File opens and creates, including those inside moves.
  static void FailNthOpen(int n, int error);
  // Switches every countdown off.
  static void Reset();

  // Parses a fault plan: items "kind:n:ERROR" separated by commas, where n
  // is a decimal count from 0 and ERROR an errno name (ENOSPC, EIO, EXDEV,
  // EPIPE, ECONNRESET, ...) or a positive number; "kind:n:ERROR:repeat"
  // fails every (n + 1)th operation instead of once; blanks around items are
  // ignored and an empty plan has no items. False, with `problem` naming the
  // bad item, when an item lacks a part, n is not a count or ERROR is
  // unknown. Kinds are not checked here: each layer takes its own.
  static bool ParsePlan(std::string_view plan, std::vector<FaultItem>& items, std::string& problem);
  // Arms the countdown of a file kind ("write", "rename", "open"); false,
  // arming nothing, for any other kind.
  static bool Arm(const FaultItem& item);

  // Called by the operations: 0 to go ahead, else the errno to fail with.
  static int OnWrite();
  static int OnRename();
  static int OnOpen();
};

}  // namespace vant::fs
