#pragma once

#include "platform/os/process_source.h"
#include "trusted/link_entries.h"
#include "trusted/trust_verdict.h"

#include <chrono>
#include <optional>
#include <string>
#include <unordered_map>

namespace zerva {

// What the trust test remembers of each process from one refresh to the
// next, keyed by pid and start time (a pid taken over by a new process
// starts anew): the program link it had when first seen, and the outcome
// and time of its last inspection. What cannot be undone (IsLasting: a
// tracer seen, changed code seen, a link changed) stays with the process for
// its whole life, as a tracer may come and go and changed code may be
// unmapped again; any other reason is only as good as the inspection that
// found it, and the next one judges afresh.
class TrustMemory {
public:
    using Clock = std::chrono::steady_clock;

    // Ten thousand of these are kept: flags rather than optionals.
    struct Record {
        std::string firstPath;
        // The file it ran when first inspected (hasFirstFile).
        FileId firstFile;
        std::uint64_t startTime = 0;   // hasStartTime
        // When it was last inspected (inspected).
        Clock::time_point inspectedAt;
        unsigned refresh = 0;
        // The outcome of the last inspection, and what of it lasts.
        TrustVerdict verdict = TrustVerdict::Trusted;
        TrustVerdict lasting = TrustVerdict::Trusted;
        bool hasStartTime = false;
        bool hasFirstFile = false;
        bool inspected = false;
        // At first sight it ran its parent's program: a child between fork
        // and exec, whose one change of program is its exec.
        bool mayExec = false;
        // Its program link changed otherwise: it is not believed.
        bool linkChanged = false;
    };

    // An inspection is trusted for this long (or longer, see
    // rechecksPerSecond), then repeated; each process adds up to as much
    // again by its pid, so that processes first seen together are not all
    // inspected again in the same refresh.
    std::chrono::milliseconds recheckAfter{5000};
    // With many trusted processes the wait grows, so that no more than this
    // many are inspected again per second (each inspection reads a few
    // files: a fraction of a millisecond). 0 for recheckAfter: always.
    int rechecksPerSecond = 32;

    // The trusted entries that lead elsewhere, searched once per content of
    // the trusted list.
    LinkEntries links;

    // Marks a new refresh; the records of processes not seen in it are
    // dropped by endRefresh().
    void beginRefresh();
    void endRefresh();
    // The process's record, made (with its link as it reads now) at first
    // sight. Every process with a path is seen, so that a link set later
    // is told from the one it started with. A parent is best seen before
    // its children (the platform's order usually does so).
    Record& see(const ProcessInfo& process);
    // Whether the record's inspection is out of date at `now`.
    bool due(const ProcessInfo& process, const Record& record, Clock::time_point now) const;

private:
    std::unordered_map<std::int64_t, Record> m_records;
    std::int64_t m_inspected = 0;   // records with an inspection, at the last refresh
    unsigned m_refresh = 0;
};

} // namespace zerva
