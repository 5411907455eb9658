#pragma once

#include "platform/os/process_source.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zerva {

// Reads the process list from a /proc tree. The root is a parameter so tests
// can point the source at a crafted tree.
//
// Every value is read afresh at every scan. What is kept between scans are
// the open stat and cmdline files of each process: reading an open /proc
// file again from its start yields the current values, and saves the
// opening and closing, which are most of the cost of a scan. An open file
// stays bound to its process: once that has ended, reading fails, and the
// number is opened anew (a process that has taken it over gets files of
// its own).
class ProcfsProcessSource : public ProcessSource {
public:
    explicit ProcfsProcessSource(std::string root = "/proc");
    ~ProcfsProcessSource() override;
    ProcfsProcessSource(const ProcfsProcessSource&) = delete;
    ProcfsProcessSource& operator=(const ProcfsProcessSource&) = delete;

    bool snapshot(std::vector<ProcessInfo>& out) override;

private:
    struct Held {
        int stat = -1;
        int cmdline = -1;
        unsigned scan = 0;
    };

    // Fills `info` from the files of /proc/PID; false when the process
    // vanished (or its stat is unreadable) and must be skipped.
    bool readProcess(std::string_view pid, ProcessInfo& info);
    // Reads the file `name` of the current process into m_buf (m_len bytes),
    // through the open file `held` when there is one; keeps the file open
    // in `held` when `keep`.
    bool readFile(const char* name, int& held, bool keep);
    bool readAll(int fd);
    void release(Held& held);
    // m_path holds "<pid>/" followed by `name`, relative to m_rootFd.
    const char* pathOf(const char* name);

    std::string m_root;
    long m_pageSize;
    // Reused between files and scans: a scan allocates nothing of its own
    // beyond the strings it hands out.
    std::vector<char> m_buf;
    std::size_t m_len = 0;
    int m_rootFd = -1;
    std::string m_path;
    std::size_t m_dirLen = 0;
    std::unordered_map<std::int64_t, Held> m_held;
    unsigned m_scan = 0;
    // Open files are kept for this many processes at most (two each).
    std::size_t m_maxHeld = 0;
    bool m_holding = true;
};

} // namespace zerva
