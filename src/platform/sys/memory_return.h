// Giving freed memory back to the system. The C library keeps what a
// program frees for its next allocations, in per-thread pools; after a page
// that took hundreds of megabytes, those pools would stay resident long
// after the page ended.
#pragma once

namespace vant::sys {

// Returns the free pages of every allocator pool to the system. Costs time
// in proportion to the free blocks held: call it after large frees, not
// after every small one. Never fails.
void ReturnFreeMemory();

// Serves blocks up to `bytes` from the allocator's pools instead of giving
// each its own mapping. Mapping and unmapping a block takes the process's
// memory-map lock for writing, which every other thread's page faults wait
// for: with hundreds of threads each taking a buffer of a few hundred KB at
// once (uploads starting together), a short page would wait behind them.
// Call once at start-up, before the threads start. Never fails.
void KeepBlocksInPools(unsigned long bytes);

}  // namespace vant::sys
