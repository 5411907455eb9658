#include "platform/procfs_process_source.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace zerva {

namespace {

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { if (m_fd >= 0) ::close(m_fd); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool ok() const { return m_fd >= 0; }
private:
    int m_fd;
};

// Reads a whole (small, virtual) file into `buf`; false when it cannot be
// opened or read.
bool readFileAt(int dirFd, const char* name, std::string& buf)
{
    Fd fd(::openat(dirFd, name, O_RDONLY | O_CLOEXEC));
    if (!fd.ok())
        return false;
    buf.resize(buf.capacity() < 4096 ? 4096 : buf.capacity());
    std::size_t used = 0;
    for (;;) {
        if (used == buf.size())
            buf.resize(buf.size() * 2);
        const ssize_t n = ::read(fd.get(), buf.data() + used, buf.size() - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            buf.clear();
            return false;
        }
        if (n == 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    buf.resize(used);
    return true;
}

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
    : m_root(std::move(root)), m_pageSize(::sysconf(_SC_PAGESIZE))
{
    if (m_pageSize <= 0)
        m_pageSize = 4096;
}

bool ProcfsProcessSource::snapshot(std::vector<ProcessInfo>& out)
{
    out.clear();
    DIR* dir = ::opendir(m_root.c_str());
    if (!dir)
        return false;
    const int rootFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (!isPid(entry->d_name))
            continue;
        Fd pidFd(::openat(rootFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!pidFd.ok())
            continue;   // ended since readdir
        ProcessInfo info;
        bool ok = false;
        info.pid = toInt(entry->d_name, ok);
        if (!ok || !readProcess(pidFd.get(), info))
            continue;
        out.push_back(std::move(info));
    }
    ::closedir(dir);
    return true;
}

bool ProcfsProcessSource::readProcess(int dirFd, ProcessInfo& info)
{
    // stat: "pid (comm) state ppid ..." where comm may hold blanks and
    // parentheses, so the fields start after the last ')'.
    if (!readFileAt(dirFd, "stat", m_buf))
        return false;
    const std::size_t open = m_buf.find('(');
    const std::size_t close = m_buf.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return false;
    std::string comm = m_buf.substr(open + 1, close - open - 1);

    // Fields after comm, numbered as in proc(5): 3 state ... 19 nice,
    // 20 num_threads, 24 rss.
    std::string_view rest(m_buf);
    rest.remove_prefix(close + 1);
    int field = 2;
    std::size_t pos = 0;
    while (pos < rest.size() && field < 24) {
        while (pos < rest.size() && rest[pos] == ' ')
            ++pos;
        std::size_t end = rest.find_first_of(" \n", pos);
        if (end == std::string_view::npos)
            end = rest.size();
        ++field;
        const std::string_view value = rest.substr(pos, end - pos);
        bool ok = false;
        if (field == 19) {
            const std::int64_t nice = toInt(value, ok);
            if (ok)
                info.priority = 20 - nice;
        } else if (field == 20) {
            const std::int64_t threads = toInt(value, ok);
            if (ok)
                info.threadCount = threads;
        } else if (field == 24) {
            const std::int64_t pages = toInt(value, ok);
            if (ok)
                info.pageFileUsage = pages * m_pageSize;
        }
        pos = end;
    }

    // exe: other users' processes (EACCES) and kernel threads (ENOENT) give
    // no path.
    char link[4096];
    const ssize_t n = ::readlinkat(dirFd, "exe", link, sizeof link);
    if (n >= 0 && static_cast<std::size_t>(n) < sizeof link)
        info.executablePath.emplace(link, static_cast<std::size_t>(n));

    if (readFileAt(dirFd, "cmdline", m_buf) && !m_buf.empty()) {
        while (!m_buf.empty() && m_buf.back() == '\0')
            m_buf.pop_back();
        for (char& c : m_buf)
            if (c == '\0')
                c = ' ';
        if (!m_buf.empty())
            info.commandLine = m_buf;
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
