#pragma once

// The contract between Zerva and the operating system's process list.
// Plain C++ on purpose: the Windows source and its console test build
// without Qt.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zerva {

// One running process with the eight properties the process list shows.
// A property the platform cannot give is std::nullopt ("null"); it is
// shown as empty text. Texts are UTF-8.
//
// Meanings on Linux (procfs_process_source):
//   caption         base name of executablePath when that is readable,
//                   otherwise the kernel's name (comm)
//   executablePath  readlink of /proc/PID/exe exactly as the kernel reports
//                   it, " (deleted)" suffix included; null when it cannot be
//                   read (other users' processes when not root, kernel threads)
//   priority        20 - nice: a larger number is a higher priority
//   commandLine     the arguments joined by single blanks; null when empty
//                   or unreadable
//   pageFileUsage   resident memory in bytes
//   threadCount     number of threads
//   name            comm
//   description     same as caption
//
// Meanings on Windows (wmi_process_source): the Win32_Process properties of
// the same names, pageFileUsage converted from kilobytes to bytes.
struct ProcessInfo {
    std::int64_t pid = 0;
    std::optional<std::string> caption;
    std::optional<std::string> executablePath;
    std::optional<std::int64_t> priority;
    std::optional<std::string> commandLine;
    std::optional<std::int64_t> pageFileUsage;
    std::optional<std::int64_t> threadCount;
    std::optional<std::string> name;
    std::optional<std::string> description;
};

class ProcessSource {
public:
    virtual ~ProcessSource() = default;

    // Replaces `out` with a fresh snapshot, in the platform's own order.
    // Returns false, with `out` empty, when the platform's process list
    // cannot be reached at all. A process that ends during the scan is
    // skipped, not reported as a failure.
    virtual bool snapshot(std::vector<ProcessInfo>& out) = 0;
};

} // namespace zerva
