#include "platform/os/posix/procfs_tasks.h"

#include <cerrno>
#include <charconv>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zerva {

namespace {

// Set when a thread has begun to exit (include/linux/sched.h).
constexpr unsigned long ExitingFlag = 0x00000004;

enum class Life { Alive, Ended, Gone, Unknown };

Life lifeOf(int rootFd, const std::string& dir)
{
    char buf[512];
    const int fd = ::openat(rootFd, (dir + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ESRCH ? Life::Gone : Life::Unknown;
    const ssize_t n = ::read(fd, buf, sizeof buf);
    const int err = errno;
    ::close(fd);
    if (n < 0)
        return err == ESRCH ? Life::Gone : Life::Unknown;
    if (n == 0)
        return Life::Gone;
    return StatEnding(std::string_view(buf, static_cast<std::size_t>(n))) ? Life::Ended : Life::Alive;
}

} // namespace

bool StatEnding(std::string_view stat)
{
    const std::size_t close = stat.rfind(')');
    if (close == std::string_view::npos || close + 2 >= stat.size())
        return false;
    const char state = stat[close + 2];
    if (state == 'Z' || state == 'X')
        return true;
    // Field 9, flags: six blanks on from the state.
    std::size_t at = close + 2;
    for (int field = 3; field < 9 && at != std::string_view::npos; ++field)
        at = stat.find(' ', at + 1);
    if (at == std::string_view::npos)
        return false;
    unsigned long flags = 0;
    const auto r = std::from_chars(stat.data() + at + 1, stat.data() + stat.size(), flags);
    return r.ec == std::errc() && (flags & ExitingFlag) != 0;
}

TaskWalk::Answer FailedLook(int rootFd, const std::string& dir, int err)
{
    if (err == ENOENT || err == ESRCH)
        return TaskWalk::Answer::Absent;
    struct stat st {};
    if (err == EACCES && ::fstatat(rootFd, dir.c_str(), &st, 0) != 0 && (errno == ENOENT || errno == ESRCH))
        return TaskWalk::Answer::Absent;
    return TaskWalk::Answer::Denied;
}

bool LeaderEnded(int rootFd, std::string_view pid)
{
    const Life life = lifeOf(rootFd, std::string(pid));
    return life == Life::Ended || life == Life::Gone;
}

TaskWalk WalkTasks(int rootFd, std::string_view pid, const std::function<TaskWalk::Answer(const std::string&)>& tryTask)
{
    TaskWalk walk;
    const std::string task = std::string(pid) + "/task";
    const int fd = ::openat(rootFd, task.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        // Gone is gone; anything else is a read that failed.
        walk.alive = errno != ENOENT && errno != ESRCH;
        walk.denied = walk.alive;
        return walk;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        walk.alive = walk.denied = true;
        return walk;
    }
    int seen = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsProcId(entry->d_name))
            continue;
        if (++seen > MaxTasks) {
            walk.alive = walk.capped = true;
            break;
        }
        const std::string thread = task + "/" + entry->d_name;
        const TaskWalk::Answer answer = tryTask(thread);
        if (answer == TaskWalk::Answer::Found) {
            walk.found = walk.alive = true;
            walk.dir = thread;
            break;
        }
        if (answer == TaskWalk::Answer::Denied) {
            walk.denied = walk.alive = true;
            continue;
        }
        if (!walk.alive) {
            const Life life = lifeOf(rootFd, thread);
            walk.alive = life == Life::Alive || life == Life::Unknown;
        }
    }
    ::closedir(dir);
    return walk;
}

bool IsProcId(const char* name)
{
    if (*name == '\0')
        return false;
    for (const char* p = name; *p; ++p)
        if (*p < '0' || *p > '9')
            return false;
    return true;
}

} // namespace zerva
