#pragma once

#include "platform/os/process_source.h"
#include "platform/os/windows/nt_dll.h"

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
//
// Every answer of the system is read within the lengths the call was
// given, whatever lengths and offsets the answer claims.
class NtProcessSource : public ProcessSource {
public:
    // The system's calls, or a test's stand-ins.
    explicit NtProcessSource(const NtDll& calls = NtDll::get());

    // Whether this system offers the calls; when not, the management
    // service stands in (MakeSystemProcessSource).
    static bool available();

    // Whether the system answered the two calls that are missing before
    // Windows 8.1 (and under Wine): the path of a process by its id, and
    // the command line in one call. Both are assumed until the system
    // says it does not know them.
    bool pathsById() const { return m_pathById; }
    bool commandLinesByQuery() const { return m_commandLineQuery; }

    bool snapshot(std::vector<ProcessInfo>& out) override;

private:
    bool readList(std::size_t& valid);
    void* open(std::int64_t pid) const;   // a process handle, or null
    std::optional<std::string> commandLineOf(std::int64_t pid, void* process, const std::byte*& parameters);

    // What never changes while a process runs, kept from one refresh to the
    // next for the same process (pid and start time) only: its program's
    // path, and where it keeps its parameters (for systems where the
    // command line is read from its memory). What was not learned is
    // asked for again.
    struct Known {
        std::int64_t created = 0;
        std::optional<std::string> path;
        bool pathUnshowable = false;   // given, but not as text that names one file
        const std::byte* parameters = nullptr;   // an address in that process, never ours
    };
    std::unordered_map<std::int64_t, Known> m_known;

    const NtDll& m_nt;

    std::vector<std::byte> m_list;      // kept between refreshes: no allocation each time
    std::vector<std::byte> m_scratch;   // paths and command lines
    unsigned long m_ownSession = 0;
    bool m_pathById = true;           // the system gives paths without opening processes
    bool m_commandLineQuery = true;   // the system answers for command lines in one call
};

} // namespace zerva
