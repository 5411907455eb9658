#pragma once

#include "platform/process_source.h"

#include <string>

namespace zerva {

// Reads the process list from a /proc tree. The root is a parameter so tests
// can point the source at a crafted tree.
class ProcfsProcessSource : public ProcessSource {
public:
    explicit ProcfsProcessSource(std::string root = "/proc");

    bool snapshot(std::vector<ProcessInfo>& out) override;

private:
    // Fills `info` from the open /proc/PID directory; false when the process
    // vanished (or its stat is unreadable) and must be skipped.
    bool readProcess(int dirFd, ProcessInfo& info);

    std::string m_root;
    long m_pageSize;
    std::string m_buf;   // reused between files and scans
};

} // namespace zerva
