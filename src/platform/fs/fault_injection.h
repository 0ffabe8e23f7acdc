// Test switch that makes the Nth file operation of a kind fail.
#pragma once

namespace vant::fs {

// A process-wide countdown per operation kind, off by default. Arming one
// makes the Nth following operation of that kind (counting from 0, so 0 is
// the very next one) fail with the given errno; the countdown then switches
// itself off. Thread-safe. Production code only consults it.
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

  // Called by the operations: 0 to go ahead, else the errno to fail with.
  static int OnWrite();
  static int OnRename();
  static int OnOpen();
};

}  // namespace vant::fs
