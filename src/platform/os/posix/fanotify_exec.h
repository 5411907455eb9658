#pragma once

#include "platform/os/process_source.h"

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace zerva {

// One file the kernel opened to execute it for a process: the program, its
// loader, or a script's interpreter.
struct ExecOpen {
    std::int64_t pid = 0;   // thread group id
    FileId file;
};

// The files the kernel opens to execute them (fanotify, FAN_OPEN_EXEC), on
// every file system mounted when the reader starts: with the exec events,
// which file the kernel executed for which process. Only root may listen;
// elsewhere, or where the kernel refuses, the reader tells nothing.
//
// A file system mounted later (or in another mount namespace) is not
// watched: an exec from it reports no file, and reportsOn() says no for a
// file on it.
class FanotifyExec {
public:
    FanotifyExec();
    ~FanotifyExec();
    FanotifyExec(const FanotifyExec&) = delete;
    FanotifyExec& operator=(const FanotifyExec&) = delete;

    bool working() const { return m_fd >= 0; }
    // Whether every exec of `file` since the reader started was reported.
    bool reportsOn(const FileId& file) const;
    // Reads every waiting event, without blocking, into `opens`. False
    // when some were lost (a full queue) or the reader failed.
    bool drain(std::vector<ExecOpen>& opens);

private:
    void watchMounts();

    int m_fd = -1;
    std::unordered_set<std::uint64_t> m_devices;
    std::vector<unsigned char> m_buf;
};

} // namespace zerva
