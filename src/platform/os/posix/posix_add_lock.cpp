#include "platform/os/posix/posix_add_lock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zerva {

namespace {

// A folder of ours that nobody else may enter; -1 when `path` is none.
int OpenPrivate(const std::string& path, bool create)
{
    if (path.empty() || path.front() != '/')
        return -1;
    if (create && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return -1;
    const int fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// $HOME when it is the user's own: root run through sudo may still have the
// invoking user's, where a folder of root's would get in that user's way.
std::string Home()
{
    struct stat st {};
    if (const char* home = std::getenv("HOME");
        home && *home && ::stat(home, &st) == 0 && st.st_uid == ::geteuid())
        return home;
    const struct passwd* pw = ::getpwuid(::geteuid());
    return pw && pw->pw_dir ? pw->pw_dir : "";
}

int PrivateFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime) {
        if (const int fd = OpenPrivate(runtime, false); fd >= 0)
            return fd;
    }
    const std::string home = Home();
    if (!home.empty()) {
        // ~/.cache as the XDG rules make it; only the last folder must be
        // closed to others.
        ::mkdir((home + "/.cache").c_str(), 0700);
        if (const int fd = OpenPrivate(home + "/.cache/zerva", true); fd >= 0)
            return fd;
    }
    return OpenPrivate("/tmp/zerva-" + std::to_string(::geteuid()), true);
}

} // namespace

AddLock::~AddLock()
{
    release();
    if (m_dir >= 0)
        ::close(m_dir);
}

void AddLock::release()
{
    if (m_fd < 0)
        return;
    // Removed while still held: a waiter that gets the lock on it then finds
    // it gone and starts over.
    ::unlinkat(m_dir, m_name.c_str(), 0);
    ::close(m_fd);
    m_fd = -1;
}

ConfFileStatus AddLock::tryTake(dev_t device, ino_t inode)
{
    if (m_dir < 0)
        m_dir = PrivateFolder();
    if (m_dir < 0)
        return ConfFileStatus::LockFailed;
    char name[64];
    std::snprintf(name, sizeof name, "kvr-%llx-%llx.lock", static_cast<unsigned long long>(device),
                  static_cast<unsigned long long>(inode));
    // A few rounds against lock files that go while we open them.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd = ::openat(m_dir, name, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return ConfFileStatus::LockFailed;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK || error == EINTR)
                return ConfFileStatus::Busy;
            return ConfFileStatus::LockFailed;
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::fstatat(m_dir, name, &named, AT_SYMLINK_NOFOLLOW) == 0
            && held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            m_fd = fd;
            m_name = name;
            return ConfFileStatus::Ok;
        }
        ::close(fd);
    }
    return ConfFileStatus::Busy;
}

} // namespace zerva
