#include "platform/os/posix/procfs_process_source.h"

#include "platform/os/posix/bounded_read.h"
#include "platform/os/posix/exec_events.h"
#include "platform/os/posix/fanotify_exec.h"
#include "platform/os/posix/kernel_log.h"
#include "platform/os/posix/procfs_tasks.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zerva {

namespace {

std::int64_t toInt(std::string_view s, bool& ok)
{
    std::int64_t v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    ok = r.ec == std::errc() && r.ptr == s.data() + s.size();
    return v;
}

// The arguments of a cmdline file (`raw`) joined by single blanks; cut
// after `limit` bytes, "..." added; nothing when empty.
std::optional<std::string> JoinArguments(std::string_view raw, std::size_t limit)
{
    std::size_t len = raw.size();
    const bool whole = raw.size() < limit + 2;
    if (whole)
        while (len > 0 && raw[len - 1] == '\0')
            --len;
    const bool cut = len > limit;
    if (cut) {
        len = limit;
        // Cut before a character, not inside one.
        while (len > 0 && (static_cast<unsigned char>(raw[len]) & 0xC0) == 0x80)
            --len;
    }
    if (len == 0)
        return std::nullopt;
    std::string line(raw.substr(0, len));
    std::replace(line.begin(), line.end(), '\0', ' ');
    if (cut)
        line += "...";
    return line;
}

// Up to `limit` bytes of a file; empty when it cannot be read.
std::string ReadSmallFile(const std::string& path, std::size_t limit)
{
    return ReadAndClose(::open(path.c_str(), O_RDONLY | O_CLOEXEC), limit);
}

// Set in the flags of stat for kernel threads (include/linux/sched.h); a
// user process cannot set it.
constexpr unsigned long KernelThreadFlag = 0x00200000;

std::optional<FileId> idOf(const struct stat& st)
{
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

} // namespace

ProcfsProcessSource::ProcfsProcessSource(std::string root, std::optional<unsigned> reader, std::size_t keptFiles,
                                         bool execEvents)
    : m_root(std::move(root)), m_pageSize(::sysconf(_SC_PAGESIZE)), m_buf(4096),
      m_reader(reader.value_or(static_cast<unsigned>(::geteuid())))
{
    char ns[64];
    const ssize_t n = ::readlink((m_root + "/self/ns/user").c_str(), ns, sizeof ns);
    if (n > 0)
        m_userNamespace.assign(ns, static_cast<std::size_t>(n));
    // The events number processes as this program's pid namespace does
    // (the kernel answers only there): they fit a tree that shows this
    // program under its own number.
    char self[32];
    const ssize_t selfLen = ::readlink((m_root + "/self").c_str(), self, sizeof self);
    if (execEvents && selfLen > 0
        && std::string_view(self, static_cast<std::size_t>(selfLen)) == std::to_string(::getpid())) {
        m_opens = std::make_unique<FanotifyExec>();
        m_events = std::make_unique<ExecEvents>();
        m_log = std::make_unique<KernelLog>();
        m_log->programOf = [this](std::int64_t pid) -> std::optional<FileId> {
            struct stat st {};
            const int rootFd = lookupFd();
            if (rootFd < 0 || ::fstatat(rootFd, (std::to_string(pid) + "/exe").c_str(), &st, 0) != 0)
                return std::nullopt;
            return idOf(st);
        };
    }
    if (m_pageSize <= 0)
        m_pageSize = 4096;
    // Two open files per process, keptFiles in all: ask for room for
    // them (the soft limit is often 1024 while the hard one is far higher;
    // the program waits on its files with poll(), not select(), so more is
    // harmless), and leave a reserve for everything else.
    constexpr rlim_t reserve = 512;
    rlimit lim{};
    if (::getrlimit(RLIMIT_NOFILE, &lim) == 0) {
        const rlim_t want = keptFiles + reserve;
        if (lim.rlim_cur != RLIM_INFINITY && lim.rlim_cur < want) {
            rlimit raised = lim;
            // Root may raise the hard limit too (a session's is often
            // 20000, short of ten thousand processes' files).
            raised.rlim_cur = want;
            raised.rlim_max = lim.rlim_max == RLIM_INFINITY ? RLIM_INFINITY : std::max<rlim_t>(lim.rlim_max, want);
            if (::setrlimit(RLIMIT_NOFILE, &raised) != 0) {
                raised.rlim_max = lim.rlim_max;
                raised.rlim_cur = lim.rlim_max == RLIM_INFINITY ? want : std::min<rlim_t>(lim.rlim_max, want);
            }
            if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
                lim = raised;
        }
        const rlim_t usable = std::min<rlim_t>(lim.rlim_cur, keptFiles + reserve);
        m_maxFiles = usable > reserve ? static_cast<std::size_t>(usable - reserve) : 0;
        m_maxHeld = m_maxFiles / 2;
    }
}

ProcfsProcessSource::~ProcfsProcessSource()
{
    if (m_lookupFd >= 0)
        ::close(m_lookupFd);
    for (auto& [pid, held] : m_held)
        release(held);
}

void ProcfsProcessSource::release(Held& held)
{
    if (held.stat >= 0)
        ::close(held.stat);
    if (held.cmdline >= 0)
        ::close(held.cmdline);
    held.stat = held.cmdline = -1;
    held.forgetProgram();
}

bool ProcfsProcessSource::snapshot(std::vector<ProcessInfo>& out)
{
    const std::size_t expected = out.size();
    out.clear();
    out.reserve(expected);
    return scan([&](ProcessInfo& p) { out.push_back(std::move(p)); });
}

bool ProcfsProcessSource::scan(const std::function<void(ProcessInfo&)>& each)
{
    DIR* dir = ::opendir(m_root.c_str());
    if (!dir)
        return false;
    m_rootFd = ::dirfd(dir);
    ++m_scan;
    // Before any link is read: an exec from now on shows at the next scan.
    m_execsKnown = m_events && m_events->drain(m_drained);
    m_execs.clear();
    for (const ProcessEvent& e : m_drained)
        if (e.kind == ProcessEvent::Kind::Exec)
            m_execs.push_back(e.pid);
    // The opens of the execs just drained came before them: read after.
    // Once either reader stops, no record tells what a process runs.
    if (m_log) {
        const bool opensKnown = m_opens->drain(m_execOpens);
        // An exec under way when the readers started may have its open
        // before them and its event after: the first drains tell nothing.
        const bool both = m_opens->working() && m_events->working();
        m_workingScans = both ? m_workingScans + 1 : 0;
        m_log->reportOpens(both && m_workingScans > 2);
        for (const ExecOpen& o : m_execOpens)
            m_log->execOpened(o.pid, o.file);
        m_log->follow(m_drained, m_execsKnown && opensKnown);
    }
    for (const std::int64_t pid : m_execs)
        if (const auto it = m_held.find(pid); it != m_held.end())
            it->second.forgetProgram();
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsProcId(entry->d_name))
            continue;
        ProcessInfo info;
        bool ok = false;
        const std::string_view pid(entry->d_name);
        info.pid = toInt(pid, ok);
        if (!ok || !readProcess(pid, info))
            continue;   // ended since readdir
        try {
            each(info);
        } catch (...) {
            ::closedir(dir);
            throw;
        }
    }
    ::closedir(dir);
    if (m_log)
        m_log->sweep(m_scan);
    // The files of processes that have ended.
    for (auto it = m_held.begin(); it != m_held.end();) {
        if (it->second.scan != m_scan) {
            release(it->second);
            it = m_held.erase(it);
        } else {
            ++it;
        }
    }
    return true;
}

const char* ProcfsProcessSource::pathOf(const char* name)
{
    m_path.resize(m_dirLen);
    m_path += name;
    return m_path.c_str();
}

// One read() per file in the usual case: /proc files hand out all they
// have in one call, so a read that leaves room in the buffer was the last.
bool ProcfsProcessSource::readAll(int fd, std::size_t limit)
{
    m_len = 0;
    for (;;) {
        if (m_len == limit)
            return true;
        if (m_len == m_buf.size())
            m_buf.resize(std::min(m_buf.size() * 2, std::max(limit, m_buf.size())));
        const std::size_t room = std::min(m_buf.size(), limit) - m_len;
        const ssize_t n = ::pread(fd, m_buf.data() + m_len, room, static_cast<off_t>(m_len));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_len = 0;
            return false;
        }
        m_len += static_cast<std::size_t>(n);
        if (n == 0 || static_cast<std::size_t>(n) < room)
            return true;
    }
}

bool ProcfsProcessSource::readFile(const char* name, int& held, bool keep, std::size_t limit)
{
    if (held >= 0)
        return readAll(held, limit);
    m_len = 0;
    int fd = ::openat(m_rootFd, pathOf(name), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && (errno == EMFILE || errno == ENFILE) && m_holding) {
        // Out of file handles: a missing row would be worse than a slower
        // scan, so give back the kept files and keep none from now on.
        m_holding = false;
        for (auto& [pid, files] : m_held)
            release(files);
        fd = ::openat(m_rootFd, pathOf(name), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0)
        return false;
    const bool ok = readAll(fd, limit);
    if (keep && ok && m_holding)
        held = fd;
    else
        ::close(fd);
    return ok;
}

bool ProcfsProcessSource::readProcess(std::string_view pid, ProcessInfo& info)
{
    // Paths relative to the open root: the kernel walks "PID/stat" only.
    m_path.assign(pid).append("/");
    m_dirLen = m_path.size();

    Held* held = nullptr;
    const auto found = m_held.find(info.pid);
    if (found != m_held.end())
        held = &found->second;
    else if (m_held.size() < m_maxHeld)
        held = &m_held[info.pid];
    Held none;
    Held& files = held ? *held : none;
    files.scan = m_scan;

    // stat: "pid (comm) state ppid ..." where comm may hold blanks and
    // parentheses, so the fields start after the last ')'. Its open file
    // fails, or reads nothing, once its process has ended: then both files
    // belonged to that process and the number is opened anew.
    //
    // The first thread's own stat ("PID/task/PID/stat") holds every value
    // read here, as the process's does, and costs an eighth less: it does
    // not add up the times of all the threads. A tree without it (a
    // crafted one) has the process's.
    const auto readStat = [&] {
        if (files.stat >= 0)
            return readFile("stat", files.stat, true) && m_len > 0;
        m_statName.assign("task/").append(pid).append("/stat");
        bool ok = readFile(m_statName.c_str(), files.stat, held != nullptr);
        if (!ok && errno == ENOENT)
            ok = readFile("stat", files.stat, held != nullptr);
        return ok && m_len > 0;
    };
    bool haveStat = readStat();
    if (!haveStat && files.stat >= 0) {
        release(files);
        haveStat = readStat();
    }
    if (!haveStat) {
        release(files);
        return false;
    }
    const std::string_view stat(m_buf.data(), m_len);
    const std::size_t open = stat.find('(');
    const std::size_t close = stat.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return false;
    std::string comm(stat.substr(open + 1, close - open - 1));

    // Fields after comm, numbered as in proc(5): 9 flags ... 19 nice,
    // 20 num_threads, 22 starttime, 24 rss. Fields are separated by blanks;
    // the line ends with a newline.
    bool kernelThread = false;
    char state = 0;
    const char* p = stat.data() + close + 1;
    const char* const end = stat.data() + stat.size();
    for (int field = 3; field <= 24 && p < end; ++field) {
        while (p < end && *p == ' ')
            ++p;
        const char* v = p;
        while (p < end && *p != ' ' && *p != '\n')
            ++p;
        if (field == 3 && p > v)
            state = *v;
        if (field != 4 && field != 9 && (field < 19 || field == 21 || field == 23))
            continue;
        bool ok = false;
        const std::int64_t value = toInt(std::string_view(v, static_cast<std::size_t>(p - v)), ok);
        if (!ok)
            continue;
        if (field == 4)
            info.parentPid = value;
        else if (field == 9)
            kernelThread = (static_cast<unsigned long>(value) & KernelThreadFlag) != 0;
        else if (field == 19)
            info.priority = 20 - value;
        else if (field == 20)
            info.threadCount = value;
        else if (field == 22)
            info.startTime = static_cast<std::uint64_t>(value);
        else
            info.pageFileUsage = value * m_pageSize;
    }

    // Killed and not yet reaped: no thread of it runs any more (a first
    // thread that ended while others run on counts them too), so no program
    // either, whatever link was kept.
    if ((state == 'Z' || state == 'X') && info.threadCount.value_or(0) <= 1 && !kernelThread) {
        files.forgetProgram();
        info.noProgram = ProcessInfo::NoProgram::Ending;
    } else if (!program(info, kernelThread, held)) {
        return false;
    }
    // A kernel thread has no memory of its own, so no arguments.
    if (!kernelThread && !m_commandLinesOnRequest)
        readCommandLine(info, files.cmdline, held != nullptr);

    if (info.executablePath) {
        const std::string& path = *info.executablePath;
        const std::size_t slash = path.rfind('/');
        info.caption = slash == std::string::npos ? path : path.substr(slash + 1);
    } else {
        info.caption = comm;
    }
    info.description = info.caption;
    info.name = std::move(comm);
    if (m_log && !kernelThread)
        info.kernel = m_log->seen(info.pid, m_scan);
    return true;
}

bool ProcfsProcessSource::program(ProcessInfo& info, bool kernelThread, Held* held)
{
    if (!held || kernelThread || !info.startTime || !m_events || !m_events->working())
        return readProgram(info, kernelThread);
    // Each kept link in its turn is read again, for the changes that come
    // without an exec.
    const bool turn = (static_cast<std::uint64_t>(info.pid) + m_scan) % LinkRereadScans == 0;
    if (m_execsKnown && !turn && held->hasProgram && held->programStart == *info.startTime) {
        info.executablePath = held->program;
        return true;
    }
    held->forgetProgram();
    if (!readProgram(info, kernelThread))
        return false;
    // Only what was read: a link that could not be is tried again.
    if (info.executablePath) {
        held->hasProgram = true;
        held->program = *info.executablePath;
        held->programStart = *info.startTime;
    }
    return true;
}

bool ProcfsProcessSource::readProgram(ProcessInfo& info, bool kernelThread)
{
    char link[4096];
    const auto readLink = [&](const std::string& dir) {
        const ssize_t n = ::readlinkat(m_rootFd, (dir + "/exe").c_str(), link, sizeof link);
        if (n >= 0 && static_cast<std::size_t>(n) < sizeof link) {
            info.executablePath.emplace(link, static_cast<std::size_t>(n));
            return TaskWalk::Answer::Found;
        }
        // Refused, or too long to report: not a mere absence.
        return n >= 0 ? TaskWalk::Answer::Denied : FailedLook(m_rootFd, dir, errno);
    };
    const std::string pid(m_path, 0, m_dirLen - 1);
    const TaskWalk::Answer own = readLink(pid);
    if (own == TaskWalk::Answer::Found)
        return true;
    if (kernelThread) {
        info.noProgram = ProcessInfo::NoProgram::KernelThread;
        return true;
    }
    // The first thread may have ended while others run on: through them.
    const TaskWalk walk = WalkTasks(m_rootFd, pid, readLink);
    if (walk.found)
        return true;

    // No program anywhere. Only a process none of whose threads is alive
    // has ended; one that still runs has hidden it, and is suspect where we
    // may look.
    if (!walk.alive && own == TaskWalk::Answer::Absent) {
        int unkept = -1;
        if (!readFile("stat", unkept, false) || m_len == 0)
            return false;   // gone meanwhile
        if (StatEnding(std::string_view(m_buf.data(), m_len))) {
            info.noProgram = ProcessInfo::NoProgram::Ending;
            return true;
        }
    }
    info.pathSuspect = m_reader == 0 || runsAsReader();
    return true;
}

bool ProcfsProcessSource::runsAsReader()
{
    int unkept = -1;
    if (!readFile("status", unkept, false))
        return false;
    const std::string_view status(m_buf.data(), m_len);
    const std::size_t at = status.find("\nUid:");
    if (at == std::string_view::npos)
        return false;
    const char* p = status.data() + at + 5;
    const char* const end = status.data() + status.size();
    int ids = 0;
    while (ids < 4) {
        while (p < end && (*p == ' ' || *p == '\t'))
            ++p;
        const char* v = p;
        while (p < end && *p >= '0' && *p <= '9')
            ++p;
        bool ok = false;
        const std::int64_t uid = toInt(std::string_view(v, static_cast<std::size_t>(p - v)), ok);
        if (!ok || uid != static_cast<std::int64_t>(m_reader))
            return false;
        ++ids;
    }
    return true;
}

void ProcfsProcessSource::readCommandLine(ProcessInfo& info, int& held, bool keep)
{
    // Two bytes beyond the limit: the NUL that ends the last argument, and
    // one that shows there is more.
    if (readFile("cmdline", held, keep, m_commandLineLimit + 2))
        info.commandLine = JoinArguments(std::string_view(m_buf.data(), m_len), m_commandLineLimit);
}

std::optional<std::string> ProcfsProcessSource::commandLine(std::int64_t pid, std::uint64_t startTime) const
{
    const std::string dir = m_root + "/" + std::to_string(pid) + "/";
    // The same process before and after: its id may have been given to
    // another since the snapshot.
    const auto started = [&]() -> std::optional<std::uint64_t> {
        const std::string stat = ReadSmallFile(dir + "stat", 4096);
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos)
            return std::nullopt;
        std::size_t at = close;
        for (int field = 2; field < 22 && at != std::string::npos; ++field)
            at = stat.find(' ', at + 1);
        if (at == std::string::npos)
            return std::nullopt;
        std::uint64_t value = 0;
        const auto r = std::from_chars(stat.data() + at + 1, stat.data() + stat.size(), value);
        return r.ec == std::errc() ? std::optional(value) : std::nullopt;
    };
    if (started() != startTime)
        return std::nullopt;
    const std::string raw = ReadSmallFile(dir + "cmdline", CommandLineLimit + 2);
    std::optional<std::string> line = JoinArguments(raw, CommandLineLimit);
    if (started() != startTime)
        return std::nullopt;
    return line;
}

std::optional<FileId> ProcfsProcessSource::fileAt(const std::string& path) const
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return idOf(st);
}

std::optional<FileId> ProcfsProcessSource::runningFile(const ProcessInfo& process, bool& ended) const
{
    ended = false;
    const int rootFd = lookupFd();
    if (rootFd < 0)
        return std::nullopt;
    const std::string pid = std::to_string(process.pid);
    struct stat st {};
    std::optional<FileId> id;
    // Through the first thread, or another one when that has ended.
    const auto tryLink = [&](const std::string& dir) {
        // In a user namespace of its own any user may give a process the
        // link of any program (prctl PR_SET_MM_MAP), so only one in ours is
        // vouched for.
        // (Its link's text names it, "user:[inode]", at half the cost of a stat.)
        if (!m_userNamespace.empty()) {
            char ns[64];
            const ssize_t n = ::readlinkat(rootFd, (dir + "/ns/user").c_str(), ns, sizeof ns);
            if (n < 0)
                return FailedLook(rootFd, dir, errno);
            if (std::string_view(ns, static_cast<std::size_t>(n)) != m_userNamespace)
                return TaskWalk::Answer::Denied;
        }
        if (::fstatat(rootFd, (dir + "/exe").c_str(), &st, 0) == 0) {
            id = idOf(st);
            return TaskWalk::Answer::Found;
        }
        return FailedLook(rootFd, dir, errno);
    };
    const TaskWalk::Answer own = tryLink(pid);
    if (own == TaskWalk::Answer::Found)
        return id;
    const TaskWalk walk = WalkTasks(rootFd, pid, tryLink);
    if (walk.found)
        return id;
    // Only absence, and no thread alive: it has ended.
    ended = own == TaskWalk::Answer::Absent && !walk.alive && LeaderEnded(rootFd, pid);
    return std::nullopt;
}

bool ProcfsProcessSource::execsReported(const FileId& file) const
{
    return m_log && m_events->working() && m_opens->working() && m_opens->reportsOn(file);
}

int ProcfsProcessSource::lookupFd() const
{
    // Opened once: this runs for every process whose path matched an entry.
    if (m_lookupFd < 0)
        m_lookupFd = ::open(m_root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return m_lookupFd;
}

} // namespace zerva
