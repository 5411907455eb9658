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

} // namespace zerva
