#include "platform/os/posix/posix_add_lock.h"

#include "platform/os/lock_place.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace zerva {

namespace {

// What keeps a folder from holding the lock, by what stat says of it: it
// must be a folder of ours that nobody else may enter.
LockPlace::Fault FaultOf(const struct stat& st)
{
    if (S_ISLNK(st.st_mode))
        return LockPlace::Fault::Link;
    if (!S_ISDIR(st.st_mode))
        return LockPlace::Fault::NotFolder;
    if (st.st_uid != ::geteuid())
        return LockPlace::Fault::OtherOwner;
    if ((st.st_mode & 077) != 0)
        return LockPlace::Fault::OpenToOthers;
    return LockPlace::Fault::None;
}

// A place the lock may be taken in: made (with `parent` before it, when
// given) when missing.
struct Candidate {
    std::string path;
    bool make = false;
    std::string parent;
};

void Make(const Candidate& c, int* error = nullptr)
{
    if (!c.make)
        return;
    if (!c.parent.empty())
        ::mkdir(c.parent.c_str(), 0700);
    if (::mkdir(c.path.c_str(), 0700) != 0 && errno != EEXIST && error)
        *error = errno;
}

// A folder of ours that nobody else may enter; -1 when `c` is none. What
// was opened is checked, so nothing swapped in meanwhile is taken.
int OpenPrivate(const Candidate& c)
{
    if (c.path.empty() || c.path.front() != '/')
        return -1;
    Make(c);
    const int fd = ::open(c.path.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && FaultOf(st) == LockPlace::Fault::None)
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

// In the order they are tried: $XDG_RUNTIME_DIR, else ~/.cache/zerva (with
// ~/.cache as the XDG rules make it; only the last folder must be closed to
// others), else /tmp/zerva-UID.
std::vector<Candidate> Candidates()
{
    std::vector<Candidate> candidates;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
        candidates.push_back({runtime, false, {}});
    if (const std::string home = Home(); !home.empty())
        candidates.push_back({home + "/.cache/zerva", true, home + "/.cache"});
    candidates.push_back({"/tmp/zerva-" + std::to_string(::geteuid()), true, {}});
    return candidates;
}

int PrivateFolder()
{
    for (const Candidate& c : Candidates())
        if (const int fd = OpenPrivate(c); fd >= 0)
            return fd;
    return -1;
}

LockPlace Look(const Candidate& c)
{
    LockPlace place;
    place.folder = c.path;
    int error = 0;
    Make(c, &error);
    struct stat st {};
    if (::lstat(c.path.c_str(), &st) != 0) {
        place.error = error ? error : errno;
        place.fault = c.make ? LockPlace::Fault::CannotMake : LockPlace::Fault::Missing;
        return place;
    }
    place.fault = FaultOf(st);
    place.owner = st.st_uid;
    place.mode = st.st_mode & 07777;
    if (const struct passwd* pw = ::getpwuid(st.st_uid); pw && pw->pw_name)
        place.ownerName = pw->pw_name;
    if (place.fault == LockPlace::Fault::None
        && ::faccessat(AT_FDCWD, c.path.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        place.fault = LockPlace::Fault::NotWritable;
        place.error = errno;
    }
    return place;
}

} // namespace

LockPlace LookAtLockPlace(const std::string& folder)
{
    return Look({folder, false, {}});
}

std::vector<LockPlace> LockPlaces()
{
    std::vector<LockPlace> places;
    for (const Candidate& c : Candidates()) {
        places.push_back(Look(c));
        const LockPlace::Fault fault = places.back().fault;
        if (fault == LockPlace::Fault::None || fault == LockPlace::Fault::NotWritable)
            break;   // the one an add takes
    }
    return places;
}

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
