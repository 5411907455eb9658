#pragma once

#include "platform/os/process_source.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace zerva {

// Reads the process list with the system's native calls, as Windows' own
// tools do: one NtQuerySystemInformation call for every process's name,
// thread count, priority, memory and session; each program's path without
// opening the process where the system allows it; the command line of each
// process that lets itself be opened for limited queries. Tens of times
// cheaper than a query of the management service, and nothing runs in
// another process. Gives the same texts and units as WmiProcessSource.
class NtProcessSource : public ProcessSource {
public:
    NtProcessSource();

    // Whether this system offers the calls; when not, the management
    // service stands in (MakeSystemProcessSource).
    static bool available();

    bool snapshot(std::vector<ProcessInfo>& out) override;

private:
    bool readList();
    void* open(std::int64_t pid) const;   // a process handle, or null
    std::optional<std::string> commandLineOf(void* process);

    // A process's program never changes while it runs: its path is kept
    // from one refresh to the next, for the same process (pid and start
    // time) only. Paths not learned are asked for again.
    struct KnownPath {
        std::int64_t created = 0;
        std::string path;
    };
    std::unordered_map<std::int64_t, KnownPath> m_paths;

    std::vector<std::byte> m_list;      // kept between refreshes: no allocation each time
    std::vector<std::byte> m_scratch;   // paths and command lines
    unsigned long m_ownSession = 0;
    bool m_pathById = true;           // the system gives paths without opening processes
    bool m_commandLineQuery = true;   // the system answers for command lines in one call
};

} // namespace zerva
