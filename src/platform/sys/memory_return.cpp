#include "platform/sys/memory_return.h"

#include <malloc.h>

namespace vant::sys {

// malloc_trim walks every arena, not only the caller's, and releases the
// whole free pages inside them as well as the top of the heap.
void ReturnFreeMemory() { (void)malloc_trim(0); }

}  // namespace vant::sys
