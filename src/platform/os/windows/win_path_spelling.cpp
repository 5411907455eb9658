#include "platform/os/path_spelling.h"

#include <windows.h>

#include <climits>

namespace zerva {

bool SamePathSpelling(std::u16string_view path, std::u16string_view entry)
{
    if (path.size() > INT_MAX || entry.size() > INT_MAX)
        return false;
    // wchar_t is UTF-16 on Windows.
    return CompareStringOrdinal(reinterpret_cast<const wchar_t*>(path.data()), static_cast<int>(path.size()),
                                reinterpret_cast<const wchar_t*>(entry.data()), static_cast<int>(entry.size()),
                                TRUE)
        == CSTR_EQUAL;
}

} // namespace zerva
