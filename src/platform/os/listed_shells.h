#pragma once

// The programs the system itself names as shells. Plain C++: each platform
// has its own implementation, chosen by CMake.

#include <string>
#include <vector>

namespace zerva {

// The paths /etc/shells lists on POSIX systems (comments and blank lines
// left out, at most the first 64 KiB read); none on Windows, which keeps no
// such list, or when the file cannot be read.
std::vector<std::string> ListedShells();

} // namespace zerva
