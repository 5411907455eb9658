#include "platform/os/listed_shells.h"

#include <fstream>
#include <string_view>

namespace zerva {

std::vector<std::string> ListedShells()
{
    // Written by root and a few lines long: what lies beyond is not read.
    constexpr std::size_t kMaxBytes = 64 * 1024;
    std::string text(kMaxBytes, '\0');
    std::ifstream file("/etc/shells", std::ios::binary);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));

    std::vector<std::string> shells;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t eol = rest.find('\n');
        std::string_view line = rest.substr(0, eol);
        rest = eol == std::string_view::npos ? std::string_view() : rest.substr(eol + 1);
        // Read as the C library's getusershell() reads it: a path begins at
        // the first '/' not after a '#' and ends at a blank or a '#'.
        const std::size_t begin = line.find_first_of("#/");
        if (begin == std::string_view::npos || line[begin] == '#')
            continue;
        line = line.substr(begin);
        shells.emplace_back(line.substr(0, line.find_first_of(" \t\r\v\f#")));
    }
    return shells;
}

} // namespace zerva
