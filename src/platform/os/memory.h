#pragma once

namespace zerva {

// Hands the memory the allocator holds free back to the system, at the end
// of a refresh; otherwise the resident size stays at its peak long after
// the processes that caused it have ended. Costs a walk of the heap's free
// blocks: a fraction of a millisecond at ten thousand processes.
void ReleaseFreeMemory();

// Called once at start: blocks of a list's size (the rows of ten thousand
// processes are megabytes) are taken from the system and handed back to it
// when freed, instead of staying in the heap for good.
void ReturnLargeBlocks();

} // namespace zerva
