#pragma once

namespace zerva {

// Hands the memory the allocator holds free back to the system, after many
// rows were dropped at once; otherwise the resident size stays at its peak
// long after the processes that caused it have ended. Costs a walk of the
// heap: call it seldom.
void ReleaseFreeMemory();

} // namespace zerva
