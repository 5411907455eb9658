#include "platform/os/memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace zerva {

void ReleaseFreeMemory()
{
#if defined(__GLIBC__)
    // glibc keeps freed small blocks in its arenas; only a trim returns them.
    ::malloc_trim(0);
#endif
}

void ReturnLargeBlocks()
{
#if defined(__GLIBC__)
    // glibc raises its threshold for such blocks each time one is freed,
    // after which they come from the heap and fragment it; a fixed one
    // keeps them out of it.
    ::mallopt(M_MMAP_THRESHOLD, 64 * 1024);
    ::mallopt(M_TRIM_THRESHOLD, 128 * 1024);
#endif
}

} // namespace zerva
