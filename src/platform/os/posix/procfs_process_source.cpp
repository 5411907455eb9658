#include "platform/os/posix/procfs_process_source.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace zerva {

namespace {

bool isPid(const char* name)
{
    if (*name == '\0')
        return false;
    for (const char* p = name; *p; ++p)
        if (*p < '0' || *p > '9')
            return false;
    return true;
}

std::int64_t toInt(std::string_view s, bool& ok)
{
    std::int64_t v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    ok = r.ec == std::errc() && r.ptr == s.data() + s.size();
    return v;
}

} // namespace

ProcfsProcessSource::ProcfsProcessSource(std::string root)
    : m_root(std::move(root)), m_pageSize(::sysconf(_SC_PAGESIZE)), m_buf(4096)
{
    if (m_pageSize <= 0)
        m_pageSize = 4096;
    // Two open files per process: ask for room for a few thousand processes
    // (the soft limit is often 1024 while the hard one is far higher; the
    // program waits on its files with poll(), not select(), so more is
    // harmless), and leave a reserve for everything else.
    rlimit lim{};
    if (::getrlimit(RLIMIT_NOFILE, &lim) == 0) {
        const rlim_t want = lim.rlim_max == RLIM_INFINITY ? 16384 : std::min<rlim_t>(lim.rlim_max, 16384);
        if (lim.rlim_cur != RLIM_INFINITY && lim.rlim_cur < want) {
            rlimit raised = lim;
            raised.rlim_cur = want;
            if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
                lim = raised;
        }
        const rlim_t usable = lim.rlim_cur == RLIM_INFINITY ? 16384 : lim.rlim_cur;
        m_maxHeld = usable > 512 ? static_cast<std::size_t>((usable - 512) / 2) : 0;
    }
}

ProcfsProcessSource::~ProcfsProcessSource()
{
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
}

bool ProcfsProcessSource::snapshot(std::vector<ProcessInfo>& out)
{
    const std::size_t expected = out.size();
    out.clear();
    DIR* dir = ::opendir(m_root.c_str());
    if (!dir)
        return false;
    out.reserve(expected);
    m_rootFd = ::dirfd(dir);
    ++m_scan;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isPid(entry->d_name))
            continue;
        ProcessInfo info;
        bool ok = false;
        const std::string_view pid(entry->d_name);
        info.pid = toInt(pid, ok);
        if (!ok || !readProcess(pid, info))
            continue;   // ended since readdir
        out.push_back(std::move(info));
    }
    ::closedir(dir);
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
bool ProcfsProcessSource::readAll(int fd)
{
    m_len = 0;
    for (;;) {
        if (m_len == m_buf.size())
            m_buf.resize(m_buf.size() * 2);
        const ssize_t n = ::pread(fd, m_buf.data() + m_len, m_buf.size() - m_len, static_cast<off_t>(m_len));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_len = 0;
            return false;
        }
        m_len += static_cast<std::size_t>(n);
        if (n == 0 || m_len < m_buf.size())
            return true;
    }
}

bool ProcfsProcessSource::readFile(const char* name, int& held, bool keep)
{
    if (held >= 0)
        return readAll(held);
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
    const bool ok = readAll(fd);
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
    bool haveStat = readFile("stat", files.stat, held != nullptr) && m_len > 0;
    if (!haveStat && files.stat >= 0) {
        release(files);
        haveStat = readFile("stat", files.stat, held != nullptr) && m_len > 0;
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

    // Fields after comm, numbered as in proc(5): 3 state ... 19 nice,
    // 20 num_threads, 24 rss. Fields are separated by blanks; the line ends
    // with a newline.
    const char* p = stat.data() + close + 1;
    const char* const end = stat.data() + stat.size();
    for (int field = 3; field <= 24 && p < end; ++field) {
        while (p < end && *p == ' ')
            ++p;
        const char* v = p;
        while (p < end && *p != ' ' && *p != '\n')
            ++p;
        if (field < 19 || field == 21 || field == 22 || field == 23)
            continue;
        bool ok = false;
        const std::int64_t value = toInt(std::string_view(v, static_cast<std::size_t>(p - v)), ok);
        if (!ok)
            continue;
        if (field == 19)
            info.priority = 20 - value;
        else if (field == 20)
            info.threadCount = value;
        else
            info.pageFileUsage = value * m_pageSize;
    }

    // exe: other users' processes (EACCES) and kernel threads (ENOENT) give
    // no path.
    char link[4096];
    const ssize_t n = ::readlinkat(m_rootFd, pathOf("exe"), link, sizeof link);
    if (n >= 0 && static_cast<std::size_t>(n) < sizeof link)
        info.executablePath.emplace(link, static_cast<std::size_t>(n));

    if (readFile("cmdline", files.cmdline, held != nullptr)) {
        std::size_t len = m_len;
        while (len > 0 && m_buf[len - 1] == '\0')
            --len;
        if (len > 0) {
            std::string& line = info.commandLine.emplace(m_buf.data(), len);
            std::replace(line.begin(), line.end(), '\0', ' ');
        }
    }

    if (info.executablePath) {
        const std::string& path = *info.executablePath;
        const std::size_t slash = path.rfind('/');
        info.caption = slash == std::string::npos ? path : path.substr(slash + 1);
    } else {
        info.caption = comm;
    }
    info.description = info.caption;
    info.name = std::move(comm);
    return true;
}

} // namespace zerva
