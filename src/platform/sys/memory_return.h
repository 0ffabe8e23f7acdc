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

}  // namespace vant::sys
