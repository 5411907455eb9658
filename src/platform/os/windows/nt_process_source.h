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
    std::optional<std::string> commandLineOf(void* process, const std::byte*& parameters);

    // What never changes while a process runs, kept from one refresh to the
    // next for the same process (pid and start time) only: its program's
    // path, and where it keeps its parameters (for systems where the
    // command line is read from its memory). What was not learned is
    // asked for again.
    struct Known {
        std::int64_t created = 0;
        std::optional<std::string> path;
        const std::byte* parameters = nullptr;   // an address in that process, never ours
    };
    std::unordered_map<std::int64_t, Known> m_known;

    std::vector<std::byte> m_list;      // kept between refreshes: no allocation each time
    std::vector<std::byte> m_scratch;   // paths and command lines
    unsigned long m_ownSession = 0;
    bool m_pathById = true;           // the system gives paths without opening processes
    bool m_commandLineQuery = true;   // the system answers for command lines in one call
};

} // namespace zerva
