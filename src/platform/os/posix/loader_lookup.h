#pragma once

#include "platform/os/process_source.h"

#include <map>
#include <optional>
#include <string>
#include <tuple>

namespace zerva {

// The loader an ELF program file names (PT_INTERP), read from the open file
// `fd` within bounds: "" for a program that names none (a static one);
// std::nullopt for a file that is not a native ELF program or names no
// plain absolute path.
std::optional<std::string> ElfInterpreter(int fd);

// The loader a process's program names, as the file it is now: a
// dynamically linked program keeps it mapped for its whole life. Read from
// the program once per version of its file; std::nullopt when the program
// names none or it cannot be told (the process sees another root or other
// mounts than Zerva, or its program cannot be read).
class LoaderLookup {
public:
    // `procFd`: the open /proc folder; `pid`: the process's folder in it.
    std::optional<FileId> loaderOf(int procFd, const std::string& pid);

private:
    bool sameView(int procFd, const std::string& pid);

    // dev, inode, size, ctime (s, ns): a file rewritten in place is read again.
    using Version = std::tuple<std::uint64_t, std::uint64_t, std::int64_t, std::int64_t, std::int64_t>;
    std::map<Version, std::optional<std::string>> m_names;
};

} // namespace zerva
