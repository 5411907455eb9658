#pragma once

#include "platform/os/posix/exec_events.h"
#include "platform/os/process_source.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

namespace zerva {

// What the kernel's process events told of each process, kept from one
// scan to the next (ProcfsProcessSource): a process forked while the events
// are followed takes its parent's record, an exec gives it the file the
// kernel executed (as reported through execOpened), and an attach marks it
// for its life. A record lives while its process is seen in the scans; a
// fork under the same pid starts a new one.
//
// Events can be lost (a full queue): then no record tells what any process
// runs (Exec::Unknown), and the other tests decide as they would without
// the events. Attach marks stay: a lost event cannot take one back.
class KernelLog {
public:
    // The events of one drain, in the kernel's order; `complete` false when
    // some before or among them were lost.
    void follow(const std::vector<ProcessEvent>& events, bool complete);
    // The file the kernel opened to execute for `pid` (the exec that comes
    // next gives it that file); reported before that exec is followed.
    void execOpened(std::int64_t pid, const FileId& file);
    // Whether the files opened to execute are reported; until then (and
    // after a loss of them) an exec tells nothing of what runs.
    void reportOpens(bool reported);
    // The file a process runs now, for a process forked from one without a
    // record (it began before): its child runs the same. None: unknown.
    std::function<std::optional<FileId>(std::int64_t pid)> programOf;
    // The record of `pid`, marked as seen in scan `scan`.
    KernelRecord seen(std::int64_t pid, unsigned scan);
    // Drops the records of the processes scan `scan` did not see.
    void sweep(unsigned scan);
    std::size_t size() const { return m_records.size(); }

private:
    struct Entry {
        KernelRecord record;
        unsigned scan = 0;
    };
    std::unordered_map<std::int64_t, Entry> m_records;
    // Files opened to execute, by process, whose exec has not come yet.
    struct Opened {
        FileId files[KernelRecord::MaxExecuted];
        std::uint8_t count = 0;
        unsigned scan = 0;   // the scan before which it was reported
        std::chrono::steady_clock::time_point at;   // when it was read
    };
    std::unordered_map<std::int64_t, Opened> m_opened;
    bool m_opensReported = false;
    unsigned m_scan = 0;   // the last scan seen
};

} // namespace zerva
