#pragma once

#include <cstddef>
#include <string>

namespace zerva {

// Reads at most `limit` bytes from `fd` (an open file of /proc: no read
// of it can be trusted to end on its own) and closes it. An fd below zero
// reads nothing.
std::string ReadAndClose(int fd, std::size_t limit);

} // namespace zerva
