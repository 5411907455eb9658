// What else runs in a process: ProcfsProcessSource::inspect and the system's
// preload file. Only for processes about to be hidden as trusted.
#include "platform/os/posix/procfs_process_source.h"

#include "platform/os/posix/procfs_inside_readers.h"
#include "platform/os/posix/procfs_tasks.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zerva {

namespace {

// An environment or a map of mappings larger than this is not read further;
// the process is then taken as one that cannot be inspected.
constexpr std::size_t InsideLimit = 16 * 1024 * 1024;

} // namespace

bool ProcfsProcessSource::readInside(const std::string& path, std::size_t limit) const
{
    m_insideLen = 0;
    const int fd = ::openat(lookupFd(), path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (m_inside.size() < 16384)
        m_inside.resize(16384);
    bool ok = true;
    for (;;) {
        if (m_insideLen == m_inside.size()) {
            if (m_inside.size() >= limit) {
                ok = false;
                break;
            }
            m_inside.resize(m_inside.size() * 2);
        }
        const ssize_t n = ::read(fd, m_inside.data() + m_insideLen, m_inside.size() - m_insideLen);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        m_insideLen += static_cast<std::size_t>(n);
    }
    const int err = errno;
    ::close(fd);
    errno = err;
    return ok;
}

void ProcfsProcessSource::findOwner(const std::string& pid, CodeMapping& mapping) const
{
    // Through the mapping itself where the kernel lets us (root), so that
    // no other mount namespace can show us another file; otherwise by its
    // path, if that names the same file.
    struct stat st {};
    const bool found = ::fstatat(lookupFd(), (pid + "/map_files/" + mapping.range).c_str(), &st, 0) == 0
        || (mapping.path.size() > 0 && mapping.path.front() == '/' && ::stat(mapping.path.c_str(), &st) == 0);
    if (!found || static_cast<std::uint64_t>(st.st_dev) != mapping.file.device
        || static_cast<std::uint64_t>(st.st_ino) != mapping.file.inode || !S_ISREG(st.st_mode))
        return;
    mapping.owner = static_cast<unsigned>(st.st_uid);
    mapping.mode = static_cast<unsigned>(st.st_mode & 07777);
}

std::optional<ProcessInside> ProcfsProcessSource::inspect(const ProcessInfo& process) const
{
    // Not all its threads could be looked at: no need to try.
    if (process.threadCount.value_or(0) > MaxTasks)
        return std::nullopt;
    const int rootFd = lookupFd();
    if (rootFd < 0)
        return std::nullopt;
    const std::string pid = std::to_string(process.pid);
    ProcessInside inside;
    // Any thread may be traced, not only the first; and the first may have
    // ended, so the process's memory is read through one that lives.
    std::string live;
    bool failed = false;
    const TaskWalk walk = WalkTasks(rootFd, pid, [&](const std::string& dir) {
        if (!readInside(dir + "/status", 65536)) {
            if (FailedLook(rootFd, dir, errno) == TaskWalk::Answer::Absent)
                return TaskWalk::Answer::Absent;   // this thread has ended
            failed = true;
            return TaskWalk::Answer::Denied;
        }
        const std::optional<TaskStatus> status = ParseTaskStatus(std::string_view(m_inside.data(), m_insideLen));
        if (!status) {
            failed = true;
            return TaskWalk::Answer::Denied;
        }
        if (status->tracerPid != 0)
            inside.tracerPid = status->tracerPid;
        if (live.empty() && status->state != 'Z' && status->state != 'X') {
            live = dir;
            inside.owner = status->realUser;
        }
        return TaskWalk::Answer::Absent;   // on to the next thread
    });
    if (failed || walk.capped || live.empty())
        return std::nullopt;

    if (readInside(live + "/environ", InsideLimit))
        inside.preload = EnvironLoadsLibrary(std::string_view(m_inside.data(), m_insideLen));
    if (!readInside(live + "/smaps", InsideLimit)
        || !ParseCodeMappings(std::string_view(m_inside.data(), m_insideLen), inside.code))
        return std::nullopt;
    for (CodeMapping& m : inside.code)
        if (m.kind == CodeMapping::Kind::File)
            findOwner(pid, m);
    inside.loader = m_loaders.loaderOf(rootFd, pid);
    return inside;
}

bool ProcfsProcessSource::systemPreload() const
{
    const int fd = ::open(m_preloadFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno != ENOENT;   // there, but unreadable: cannot be ruled out
    char buf[4096];
    bool named = false;
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            named = true;
            break;
        }
        if (n == 0)
            break;
        for (ssize_t i = 0; i < n && !named; ++i)
            named = buf[i] != ' ' && buf[i] != '\t' && buf[i] != '\n' && buf[i] != '\r';
        if (named)
            break;
    }
    ::close(fd);
    return named;
}

} // namespace zerva
