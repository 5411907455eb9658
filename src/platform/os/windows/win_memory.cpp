#include "platform/os/memory.h"

#include <windows.h>

namespace zerva {

void ReleaseFreeMemory()
{
    // The process heap gives back whole free regions by itself; compacting
    // merges the free blocks so that more of them are whole.
    ::HeapCompact(::GetProcessHeap(), 0);
}

void ReturnLargeBlocks()
{
    // The process heap already takes blocks this large from the system
    // and gives them back when they are freed.
}

} // namespace zerva
