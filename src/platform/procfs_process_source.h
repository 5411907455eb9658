#pragma once

#include "platform/process_source.h"

#include <string>
#include <string_view>
#include <vector>

namespace zerva {

// Reads the process list from a /proc tree. The root is a parameter so tests
// can point the source at a crafted tree.
class ProcfsProcessSource : public ProcessSource {
public:
    explicit ProcfsProcessSource(std::string root = "/proc");

    bool snapshot(std::vector<ProcessInfo>& out) override;

private:
    // Fills `info` from the files of /proc/PID; false when the process
    // vanished (or its stat is unreadable) and must be skipped.
    bool readProcess(std::string_view pid, ProcessInfo& info);
    // Reads the file `name` of the current process into m_buf; m_len bytes.
    bool readFile(const char* name);
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
};

} // namespace zerva
