// The module's lock count: every live component object and every server lock
// held on a class object adds one. The module may be unloaded only at zero.
#pragma once

namespace vant::frame {

void LockModule();
void UnlockModule();
long ModuleLockCount();

// Counts its owner as a live object of the module: a component class holds
// one as a member (or derives from it), so constructing the object locks the
// module and destroying it unlocks it.
class ModuleLock {
 public:
  ModuleLock() { LockModule(); }
  ModuleLock(const ModuleLock&) { LockModule(); }
  ModuleLock& operator=(const ModuleLock&) = default;
  ~ModuleLock() { UnlockModule(); }
};

}  // namespace vant::frame
