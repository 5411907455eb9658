#pragma once

// The contract between Zerva and the system's account of the programs that
// start: every exec as it happens, so that a program that ends between two
// refreshes is still known. Plain C++: the platform pieces build without Qt.

#include "platform/os/process_source.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zerva {

// One exec, as read the moment the system told of it. What could no longer
// be read (the process had ended, or started yet another program) is null.
struct ExecSeen {
    // When the exec happened: `at` on the monotonic clock (for the order of
    // things and against a refresh's start), `when` on the wall clock (to
    // show).
    std::chrono::steady_clock::time_point at;
    std::chrono::system_clock::time_point when;
    std::int64_t pid = 0;
    std::int64_t parentPid = 0;
    // The process's effective user.
    std::optional<unsigned> user;
    // Its name, where the system's user database has one.
    std::optional<std::string> account;
    // The file executed, as the system gives its path (ProcessInfo's
    // executablePath), and which file it was.
    std::optional<std::string> path;
    std::optional<FileId> file;
    // The kernel's name of it (comm: the file name the program was started
    // by, a script's own name included), which it keeps until reaped, so
    // often still there when its program no longer is.
    std::optional<std::string> name;
    // The head of the command line, cut after ExecCommandLineHead bytes
    // ("..." added).
    std::optional<std::string> commandLine;
    // With pid, names the process (as ProcessInfo::startTime does).
    std::optional<std::uint64_t> startTime;
    // The process started another program before this one could be read:
    // what was read belongs to that one and is left out.
    bool replaced = false;
};

inline constexpr std::size_t ExecCommandLineHead = 256;

class ExecWatch {
public:
    enum class State : std::uint8_t {
        Unsupported,   // the platform has no such account
        NeedsRoot,     // only root is told of every exec
        Refused,       // the system refused (another namespace, a container)
        Starting,      // asked, no answer yet
        Working,
    };

    virtual ~ExecWatch() = default;
    virtual State state() const = 0;
    // Moves the execs read since the previous call into `out` (replacing
    // it), oldest first, at most `limit` of them (the rest wait for the next
    // call). Returns false when some execs since the previous call were lost
    // (the system's queue overflowed, or the reader fell behind).
    virtual bool take(std::vector<ExecSeen>& out, std::size_t limit) = 0;
};

// The watch of the platform the program was built for.
std::unique_ptr<ExecWatch> MakeSystemExecWatch();

} // namespace zerva
