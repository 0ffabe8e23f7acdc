// The native stack of the calling thread: how far down it may grow, so deep
// recursion (a script engine's, a page that runs itself) can stop with an
// error before it overflows instead of crashing the process.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vant::sys {

struct ThreadStack {
  std::uintptr_t low = 0;  // lowest address; stacks grow down towards it
  std::size_t size = 0;    // 0 when the system cannot tell
};

// The calling thread's stack. Queries the system (for the main thread it
// reads the process's memory map): callers cache it per thread.
ThreadStack CurrentThreadStack();

// The stack size of threads started from now on without explicit
// attributes (std::thread). False when the system refuses the size.
bool SetDefaultThreadStackSize(std::size_t bytes);

}  // namespace vant::sys
