#pragma once

// The contract between Zerva and the operating system's process list.
// Plain C++ on purpose: the Windows source and its console test build
// without Qt.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zerva {

// Which file a path names, as the platform tells files apart (device and
// inode on Linux).
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileId&) const = default;
};

// What the kernel itself reported of a process, when it happened, while
// Zerva followed its events (root on Linux: see ProcfsProcessSource). The
// default tells nothing, and the other tests alone decide.
struct KernelRecord {
    enum class Exec : std::uint8_t {
        Unknown,      // it began before the events were followed, or some were lost
        File,         // the kernel executed `executed` for it, or for the
                      // process it was forked from with no exec since
        Unreported,   // it began, or started a program, while followed, and no
                      // exec of a watched file was reported for it
    };
    static constexpr std::size_t MaxExecuted = 4;
    Exec exec = Exec::Unknown;
    // The files the kernel opened for that exec, the last MaxExecuted: the
    // program, its loader, a script and its interpreter.
    FileId executed[MaxExecuted];
    std::uint8_t executedCount = 0;
    // A tracer attached to it (ptrace) while followed, whether or not it is
    // still attached.
    bool attached = false;
};

// One running process with the eight properties the process list shows.
// A property the platform cannot give is std::nullopt ("null"); it is
// shown as empty text. Texts are UTF-8.
//
// Meanings on Linux (procfs_process_source):
//   caption         base name of executablePath when that is readable,
//                   otherwise the kernel's name (comm)
//   executablePath  readlink of /proc/PID/exe exactly as the kernel reports
//                   it, " (deleted)" suffix included, or of another thread's
//                   /proc/PID/task/TID/exe when the first thread has ended;
//                   null when it cannot be read (kernel threads, processes
//                   that have ended, other users' processes when not root,
//                   and processes that hid it: see pathSuspect); as read
//                   after the process's last exec where the kernel reports
//                   execs, so a suffix or rename that comes later waits
//                   for its next one
//   priority        20 - nice: a larger number is a higher priority
//   commandLine     the arguments joined by single blanks; null when empty
//                   or unreadable; cut after CommandLineLimit bytes (or
//                   what limitCommandLines() set), "..." added
//   pageFileUsage   resident memory in bytes
//   threadCount     number of threads
//   name            comm
//   description     same as caption
//
// Meanings on Windows: the Win32_Process properties of the same names,
// pageFileUsage in bytes (a whole number of kilobytes), whether they come
// from the native calls (nt_process_source) or from the management service
// (wmi_process_source).
//
// pathSuspect is true when executablePath is null although the platform
// should have been able to read it: the process is not a kernel thread and
// Zerva may inspect it (Zerva runs as root, or the process runs under
// Zerva's own user), so it has hidden its program. It is listed like an
// untrusted process. On Windows it is set for a process of Zerva's own
// session (other than the idle and system pseudo-processes) whose path the
// system withholds; protected processes of other sessions (services,
// other users' desktops) keep a null path and no suspicion. A path the
// system gives with an unpaired surrogate (or a NUL) is no path there, in
// any session, and is suspect: as U+FFFD it would read alike for
// different files, and Windows has no file test to tell them apart.
struct ProcessInfo {
    std::int64_t pid = 0;
    std::optional<std::string> caption;
    std::optional<std::string> executablePath;
    std::optional<std::int64_t> priority;
    std::optional<std::string> commandLine;
    std::optional<std::int64_t> pageFileUsage;
    std::optional<std::int64_t> threadCount;
    std::optional<std::string> name;
    std::optional<std::string> description;
    bool pathSuspect = false;
    // Why executablePath is null when pathSuspect is not set, for the count
    // of hidden processes: not Zerva's to look into (the default, and all
    // Windows gives), a kernel thread, or a process that is ending.
    enum class NoProgram : std::uint8_t { NotReadable, KernelThread, Ending };
    NoProgram noProgram = NoProgram::NotReadable;
    // When the process started, in the platform's own unit (clock ticks
    // since boot on Linux): with pid, it names one process for good.
    std::optional<std::uint64_t> startTime;
    // The process that started it; 0 when unknown.
    std::int64_t parentPid = 0;
    KernelRecord kernel;
};

// A command line longer than this many bytes (Windows' own limit in
// characters) is cut, so that a huge one costs no more than this.
inline constexpr std::size_t CommandLineLimit = 32767;

// One executable mapping of a process, as the trust test needs it.
struct CodeMapping {
    enum class Kind {
        File,         // a file that is still there
        DeletedFile,  // a file removed (or replaced) since it was mapped
        Memfd,        // a file that lives in memory only
        Anonymous,    // memory of no file: generated or injected code
    };
    Kind kind = Kind::File;
    FileId file;
    std::string path;
    // Its address range as the platform names it (start-end on Linux).
    std::string range;
    // Pages of it that the process holds as copies of its own (copied on
    // write: code changed in memory). Dirty pages of the file itself (a file
    // just written, any file on tmpfs) are not counted: they are the file's.
    std::uint64_t copiedKiB = 0;
    // The file's owner and mode bits, when found and known to be this very
    // file.
    std::optional<unsigned> owner;
    unsigned mode = 0;
};

// What else runs in a process besides its program.
struct ProcessInside {
    // A process that traces one of its threads (ptrace), 0 for none.
    std::int64_t tracerPid = 0;
    // LD_PRELOAD or LD_AUDIT names a library; std::nullopt when the
    // environment cannot be read.
    std::optional<bool> preload;
    std::vector<CodeMapping> code;
    // The loader its program names (a dynamically linked program's), which
    // a real run keeps mapped; std::nullopt for none, or when it cannot be
    // told.
    std::optional<FileId> loader;
    // The account it runs as (its real user), the one that may change it;
    // std::nullopt when unknown.
    std::optional<unsigned> owner;
};

class ProcessSource {
public:
    virtual ~ProcessSource() = default;

    // Replaces `out` with a fresh snapshot, in the platform's own order.
    // Returns false, with `out` empty, when the platform's process list
    // cannot be reached at all. A process that ends during the scan is
    // skipped, not reported as a failure.
    virtual bool snapshot(std::vector<ProcessInfo>& out) = 0;
    // The same snapshot handed to `each` one process at a time, as it is
    // read, so that the whole list is never held at once: at ten thousand
    // processes the list alone would be megabytes. `each` may use the
    // source's other calls. By default, through snapshot().
    virtual bool scan(const std::function<void(ProcessInfo&)>& each)
    {
        std::vector<ProcessInfo> all;
        const bool ok = snapshot(all);
        for (ProcessInfo& p : all)
            each(p);
        return ok;
    }

    // For the trust test: the file that `path` names, as this program sees
    // the file system (links followed), and the file that `process` runs
    // now. A platform that cannot tell files apart keeps these defaults:
    // identifiesFiles() false, and the path test alone decides.
    virtual bool identifiesFiles() const { return false; }
    virtual std::optional<FileId> fileAt(const std::string& path) const
    {
        static_cast<void>(path);
        return std::nullopt;
    }
    // `ended` is set when the process has ended since the snapshot, so that
    // nothing of it is left to test.
    virtual std::optional<FileId> runningFile(const ProcessInfo& process, bool& ended) const
    {
        static_cast<void>(process);
        ended = false;
        return std::nullopt;
    }

    // Command lines in snapshots may be cut after `bytes` (with "..."
    // added), so that a list of many long ones stays small; commandLine()
    // gives the whole one of a process when it is asked for. A platform
    // that cannot read one process alone keeps both defaults: whole command
    // lines in every snapshot.
    virtual void limitCommandLines(std::size_t bytes) { static_cast<void>(bytes); }
    // Asks that snapshots leave commandLine null, for commandLine() to read
    // when a command line is shown: of a process's values it costs the most
    // to read, and it is seen only in its details. False (snapshots keep
    // reading them) where commandLine() cannot read one process's.
    virtual bool readCommandLinesOnRequest() { return false; }
    // The whole command line (up to CommandLineLimit, as in snapshots) of
    // the process with this id and start time; nothing when it has ended,
    // or its id now names another process, or it cannot be read.
    virtual std::optional<std::string> commandLine(std::int64_t pid, std::uint64_t startTime) const
    {
        static_cast<void>(pid);
        static_cast<void>(startTime);
        return std::nullopt;
    }

    // For the trust test, before a process is hidden: what else runs in it.
    // A platform that cannot look inside processes keeps
    // inspectsProcesses() false, and the file test alone decides.
    // inspect() gives std::nullopt when the process cannot be inspected
    // (it is then not trusted).
    virtual bool inspectsProcesses() const { return false; }
    virtual std::optional<ProcessInside> inspect(const ProcessInfo& process) const
    {
        static_cast<void>(process);
        return std::nullopt;
    }
    // Whether the system loads a library into every program it starts
    // (/etc/ld.so.preload on Linux).
    virtual bool systemPreload() const { return false; }
    // Whether the kernel reports every exec of `file` (ProcessInfo::kernel
    // then tells what it executed for each process); where it does not, an
    // exec record says nothing about that file.
    virtual bool execsReported(const FileId& file) const
    {
        static_cast<void>(file);
        return false;
    }
};

} // namespace zerva
