#include "platform/sys/memory_return.h"

#include <malloc.h>

namespace vant::sys {

// malloc_trim walks every arena, not only the caller's, and releases the
// whole free pages inside them as well as the top of the heap.
void ReturnFreeMemory() { (void)malloc_trim(0); }

// A threshold set once also stops the library from raising it by itself as
// mapped blocks are freed, so the rule holds from the first allocation on.
void KeepBlocksInPools(unsigned long bytes) {
  (void)mallopt(M_MMAP_THRESHOLD, static_cast<int>(bytes));
}

}  // namespace vant::sys
