#include "frame/module_lock.h"

#include <atomic>

namespace vant::frame {
namespace {

// Objects are made and released on many request threads at once.
std::atomic<long> g_locks{0};

}  // namespace

void LockModule() { ++g_locks; }
void UnlockModule() { --g_locks; }
long ModuleLockCount() { return g_locks.load(); }

}  // namespace vant::frame
