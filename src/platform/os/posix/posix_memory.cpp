#include "platform/os/memory.h"

// Any C library header defines __GLIBC__; without one before the test
// below, both calls would quietly do nothing.
#include <cstdlib>

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
    // Nor does the heap grow by more than is asked: the slack it would keep
    // at its top takes the next large block, which then pins it.
    ::mallopt(M_TOP_PAD, 0);
#endif
}

} // namespace zerva
