#pragma once

namespace zerva {

// Lets the waiting events of the program run (their handlers included),
// then returns.
void DoEvents();

} // namespace zerva
