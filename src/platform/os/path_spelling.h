#pragma once

// Whether a process's path and a trusted entry name the same path as the
// system compares file names. Plain C++: each platform has its own
// implementation, chosen by CMake.

#include <string_view>

namespace zerva {

// Asked only for pairs that are already alike with letter case ignored
// (LowerCase, Qt's mapping). On Windows: the system's ordinal comparison
// through its upper-case table (CompareStringOrdinal, case ignored), the
// way its file systems compare names, so letters that merely lower-case
// alike are told apart: the Kelvin sign and k, the Ohm sign and omega, the
// Angstrom sign and a with ring above. Elsewhere always true: the file test
// (SameFile) tells files apart there.
bool SamePathSpelling(std::u16string_view path, std::u16string_view entry);

} // namespace zerva
