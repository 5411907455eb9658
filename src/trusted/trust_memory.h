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
        // When it was last inspected (inspected), or tried in vain
        // (unreadable).
        Clock::time_point inspectedAt;
        unsigned refresh = 0;
        // The outcome of the last inspection, and what of it lasts.
        TrustVerdict verdict = TrustVerdict::Trusted;
        TrustVerdict lasting = TrustVerdict::Trusted;
        bool hasStartTime = false;
        bool hasFirstFile = false;
        bool inspected = false;
        // Its last inspection could not be made: listed as such, and not
        // tried again before unreadableHold has passed.
        bool unreadable = false;
        // At first sight it ran its parent's program: a child between fork
        // and exec, whose one change of program is its exec.
        bool mayExec = false;
        // Its program link changed otherwise: it is not believed.
        bool linkChanged = false;
        // The kernel's record named another file than its link at the last
        // look: a scan may read the link of an exec whose report is still
        // on its way, so only a second look after another drain decides.
        bool kernelDoubt = false;
        // The account it ran as at its last inspection (hasOwner).
        bool hasOwner = false;
        unsigned owner = 0;
    };

    // An inspection is trusted for this long (or longer, see
    // rechecksPerSecond), then repeated. The first one is dated back by up
    // to seven eighths of the wait by its pid, so that processes first seen
    // together are not all inspected again in the same refresh.
    std::chrono::milliseconds recheckAfter{5000};
    // With many trusted processes of one account the wait grows, so that
    // no more than this many of them are inspected again per second (each
    // inspection reads a few files: a fraction of a millisecond), but never
    // beyond longestWait: an account may change its own processes only, so
    // its thousands of processes stretch neither another account's wait nor
    // their own past that. The budget is thus per account: up to
    // rechecksPerSecond, more for an account with more than longestWait
    // allows (n / longestWait per second for n processes). 0 for
    // recheckAfter: always.
    int rechecksPerSecond = 32;
    std::chrono::milliseconds longestWait{9000};
    // A process that could not be inspected is listed at once and tried
    // again only after this long: a process any user can start (a thousand
    // threads) must not cost a whole inspection at every refresh.
    std::chrono::milliseconds unreadableHold{3000};

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
    // How long an inspection of `record` is trusted.
    std::chrono::milliseconds wait(const Record& record) const;
    // Dates the record's first inspection back (see recheckAfter).
    void firstInspected(const ProcessInfo& process, Record& record) const;

private:
    std::unordered_map<std::int64_t, Record> m_records;
    std::int64_t m_inspected = 0;   // records with an inspection, at the last refresh
    // Of those, the ones of each account; those of no known account are
    // counted together with all.
    std::unordered_map<unsigned, std::int64_t> m_inspectedOf;
    unsigned m_refresh = 0;
};

} // namespace zerva
