#pragma once

#include "platform/os/posix/loader_lookup.h"
#include "platform/os/process_source.h"

#include <algorithm>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zerva {

class ExecEvents;
class FanotifyExec;
class KernelLog;
struct ProcessEvent;
struct ExecOpen;

// Reads the process list from a /proc tree. The root is a parameter so tests
// can point the source at a crafted tree.
//
// Every value but the program link (below) is read afresh at every scan.
// What is kept between scans are the open stat and cmdline files of each
// process: reading an open /proc file again from its start yields the
// current values, and saves the opening and closing, which are most of the
// cost of a scan. An open file stays bound to its process: once that has
// ended, reading fails, and the number is opened anew (a process that has
// taken it over gets files of its own). At most KeptFilesBudget files are
// kept open, whatever file limit the program inherited (within its hard
// limit, which root raises); beyond that, files are opened per scan. The budget covers both
// files of 16384 processes: opening and closing them at every scan would
// cost two fifths of it. A kept stat file holds a page of the kernel's
// memory, a command line file a few hundred bytes.
//
// The program link changes at an exec: with the kernel's exec events
// (ExecEvents) at hand, the text of a process's link is kept with its start
// time and reused until an exec of that process, or a loss of events, comes
// through. An exec that completes during a scan, after its drain of the
// events, shows at the next scan: one refresh late, as a link read just
// before an exec would be. A link set without exec (prctl), or a program
// file renamed or removed while it runs (" (deleted)" after an upgrade), is
// caught by reading each kept link again every LinkRereadScans scans
// (a sixteenth of them per scan): at most 8 s late at the window's rate.
// Where the events do not reach (an ordinary account, other namespaces, a
// crafted tree), every scan reads every link.
//
// The same events fill each process's KernelRecord (KernelLog): a tracer
// that attached to it at any time since, even for a moment, and, with the
// files the kernel opened to execute (FanotifyExec, started before the
// events so that no exec they report comes before it), what the kernel
// executed for it.
//
// A process whose program cannot be read although this program may inspect
// it (`reader` is root, or the process runs under `reader` alone) and that
// is no kernel thread is marked pathSuspect: it has hidden its program.
//
// runningFile() answers only for processes in this program's own user
// namespace: in one of its own, a process may give itself the link of any
// program, and the file test could not tell.
class ProcfsProcessSource : public ProcessSource {
public:
    static constexpr std::size_t KeptFilesBudget = 32768;
    static constexpr unsigned LinkRereadScans = 16;

    // `reader`: the user whose view is taken; by default this program's
    // effective user.
    // `keptFiles`: the budget of kept files (tests use a small one).
    // `execEvents`: follow the kernel's exec events where they reach (tests
    // turn them off to compare).
    explicit ProcfsProcessSource(std::string root = "/proc", std::optional<unsigned> reader = std::nullopt,
                                 std::size_t keptFiles = KeptFilesBudget, bool execEvents = true);
    ~ProcfsProcessSource() override;
    ProcfsProcessSource(const ProcfsProcessSource&) = delete;
    ProcfsProcessSource& operator=(const ProcfsProcessSource&) = delete;

    bool snapshot(std::vector<ProcessInfo>& out) override;
    bool scan(const std::function<void(ProcessInfo&)>& each) override;

    // Device and inode, links followed (for a process: of /proc/PID/exe).
    bool identifiesFiles() const override { return true; }
    std::optional<FileId> fileAt(const std::string& path) const override;
    std::optional<FileId> runningFile(const ProcessInfo& process, bool& ended) const override;

    void limitCommandLines(std::size_t bytes) override { m_commandLineLimit = std::min(bytes, CommandLineLimit); }
    // Then only the stat file of each process is kept.
    bool readCommandLinesOnRequest() override
    {
        m_maxHeld = m_maxFiles;
        return m_commandLinesOnRequest = true;
    }
    std::optional<std::string> commandLine(std::int64_t pid, std::uint64_t startTime) const override;
    // Tracers of every thread, LD_PRELOAD and LD_AUDIT in the environment,
    // and the executable mappings of /proc/PID/smaps with their owners
    // (procfs_inside_check.cpp).
    bool inspectsProcesses() const override { return true; }
    std::optional<ProcessInside> inspect(const ProcessInfo& process) const override;
    bool systemPreload() const override;
    // Where the files the kernel opens to execute are reported (root, see
    // FanotifyExec) along with the exec events.
    bool execsReported(const FileId& file) const override;
    // The file the system preloads into every program, by default
    // /etc/ld.so.preload.
    void setSystemPreloadFile(std::string path) { m_preloadFile = std::move(path); }

private:
    struct Held {
        int stat = -1;
        int cmdline = -1;
        unsigned scan = 0;
        // Whether program holds the link last read, of the process that
        // started at programStart (a flag, not an optional: ten thousand of
        // these are kept).
        bool hasProgram = false;
        std::string program;
        std::uint64_t programStart = 0;
        void forgetProgram()
        {
            hasProgram = false;
            std::string().swap(program);
        }
    };

    // Fills `info` from the files of /proc/PID; false when the process
    // vanished (or its stat is unreadable) and must be skipped.
    bool readProcess(std::string_view pid, ProcessInfo& info);
    // Reads the file `name` of the current process into m_buf (m_len bytes,
    // `limit` at most), through the open file `held` when there is one;
    // keeps the file open in `held` when `keep`.
    bool readFile(const char* name, int& held, bool keep, std::size_t limit = SIZE_MAX);
    bool readAll(int fd, std::size_t limit);
    // The program of the current process, through its own link or another
    // thread's; otherwise whether it hid it (see pathSuspect). False when
    // the process has ended meanwhile.
    bool readProgram(ProcessInfo& info, bool kernelThread);
    // readProgram, or the link kept in `held` while no exec can have
    // changed it.
    bool program(ProcessInfo& info, bool kernelThread, Held* held);
    void readCommandLine(ProcessInfo& info, int& held, bool keep);
    // Whether every user id of the current process (real, effective,
    // saved, file system) is m_reader's.
    bool runsAsReader();
    void release(Held& held);
    // The root, opened for the lookups that follow a scan.
    int lookupFd() const;
    // Reads `path` (relative to lookupFd()) into m_inside; errno on failure.
    bool readInside(const std::string& path, std::size_t limit) const;
    // Owner and mode of a mapped file, when it is that very file.
    void findOwner(const std::string& pid, CodeMapping& mapping) const;
    // m_path holds "<pid>/" followed by `name`, relative to m_rootFd.
    const char* pathOf(const char* name);

    std::string m_root;
    long m_pageSize;
    // Reused between files and scans: a scan allocates nothing of its own
    // beyond the strings it hands out.
    std::vector<char> m_buf;
    std::size_t m_len = 0;
    int m_rootFd = -1;
    // The root, kept open for runningFile().
    mutable int m_lookupFd = -1;
    std::string m_path;
    std::string m_statName;
    std::size_t m_dirLen = 0;
    std::unordered_map<std::int64_t, Held> m_held;
    // Null where the events do not reach; see the class comment.
    std::unique_ptr<ExecEvents> m_events;
    std::unique_ptr<KernelLog> m_log;
    std::unique_ptr<FanotifyExec> m_opens;
    unsigned m_workingScans = 0;   // scans in a row with both readers working
    std::vector<ProcessEvent> m_drained;
    std::vector<ExecOpen> m_execOpens;
    std::vector<std::int64_t> m_execs;
    // This scan's drain saw every exec since the previous scan's.
    bool m_execsKnown = false;
    unsigned m_scan = 0;
    unsigned m_reader;
    // This program's user namespace, as its link reads (empty, unknown, in
    // a crafted tree).
    std::string m_userNamespace;
    // Open files are kept for this many processes at most (two each).
    std::size_t m_maxHeld = 0;
    std::size_t m_maxFiles = 0;
    bool m_holding = true;
    std::size_t m_commandLineLimit = CommandLineLimit;
    bool m_commandLinesOnRequest = false;
    std::string m_preloadFile = "/etc/ld.so.preload";
    mutable std::vector<char> m_inside;
    mutable std::size_t m_insideLen = 0;
    // The loader each program names, read once per version of its file.
    mutable LoaderLookup m_loaders;
};

} // namespace zerva
