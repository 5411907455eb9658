#pragma once

#include <cstddef>

namespace zerva::bench {

// The floor: the plainest walk of /proc that reads the files the process
// list needs (stat, cmdline and the exe link) and nothing else. Returns
// the number of bytes read, so the work cannot be optimised away.
std::size_t FloorScan();

} // namespace zerva::bench
