#include "platform/os/conf_file.h"

#include "platform/os/posix/posix_add_lock.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace zerva {

namespace {

// Links followed before a path counts as a loop, as the kernel does.
constexpr int kMaxLinks = 40;
constexpr auto kLockPoll = std::chrono::milliseconds(5);
// A save whose data was written less than this ago may not be over: a
// truncate, its write still to come.
constexpr auto kQuiet = std::chrono::milliseconds(200);
constexpr auto kQuietPoll = std::chrono::milliseconds(20);
// How long a rewrite waits for a save to be over, however short its wait
// for the lock: just over that moment, so that one save does not refuse it.
constexpr auto kQuietWait = std::chrono::milliseconds(250);
// Reads and changes of one rewrite while another program keeps saving.
constexpr int kRounds = 5;
// A text file the user edits: read and write for the owner, through the umask.
constexpr mode_t kNewFileMode = 0644;

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(Fd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Fd& operator=(Fd&& other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    bool ok() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// The folder that holds the file, and the file's name in it.
struct Place {
    Fd dir;
    std::string name;
};

bool OwnedByUs(const struct stat& st)
{
    return st.st_uid == ::geteuid() || st.st_uid == 0;
}

// The final verdict on what was opened: a plain file of ours that nobody
// else may write, in a folder where nobody else may swap it. A second name
// could be anyone's link to a file of root's; only a file of the user's own
// may have one.
ConfFileStatus Check(int dir, const struct stat& st)
{
    if (!S_ISREG(st.st_mode))
        return ConfFileStatus::Unreadable;
    if (!OwnedByUs(st) || (st.st_mode & (S_IWGRP | S_IWOTH)) || (st.st_nlink > 1 && st.st_uid != ::geteuid()))
        return ConfFileStatus::Foreign;
    struct stat folder {};
    if (::fstat(dir, &folder) != 0)
        return ConfFileStatus::Unreadable;
    if ((folder.st_mode & (S_IWGRP | S_IWOTH)) && !(folder.st_mode & S_ISVTX))
        return ConfFileStatus::Foreign;
    return ConfFileStatus::Ok;
}

// Why the file or its folder could not be opened for writing.
ConfFileStatus WriteRefusal(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return ConfFileStatus::NoPermission;
    case EROFS:
        return ConfFileStatus::ReadOnly;
    default:
        return ConfFileStatus::WriteFailed;
    }
}

void PushComponents(const std::string& path, std::vector<std::string>& pending)
{
    // `pending` is used from its back: the path's first component last.
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        parts.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    pending.insert(pending.end(), parts.rbegin(), parts.rend());
}

// Follows `path` one component at a time, each symbolic link by hand: the
// link whose owner is checked is the very one that is read (an O_PATH
// descriptor of the link itself), so it cannot be swapped in between.
// A name absent from its folder is for the caller to find out, unless a link
// led there: nothing is ever created through a link that leads nowhere.
ConfFileStatus Resolve(const std::string& path, Place& place)
{
    if (path.empty())
        return ConfFileStatus::Unreadable;
    std::vector<std::string> pending;
    PushComponents(path, pending);
    Fd dir(::open(path.front() == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    int links = 0;
    while (dir.ok() && !pending.empty()) {
        const std::string name = std::move(pending.back());
        pending.pop_back();
        const bool last = pending.empty();
        if (name.empty() || name == ".") {
            if (last)
                return ConfFileStatus::Unreadable;   // a folder, not a file
            continue;
        }
        Fd fd(::openat(dir.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        if (!fd.ok()) {
            if (last && errno == ENOENT && links == 0) {
                place = Place{std::move(dir), name};
                return ConfFileStatus::Ok;
            }
            return ConfFileStatus::Unreadable;
        }
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0)
            return ConfFileStatus::Unreadable;
        if (S_ISLNK(st.st_mode)) {
            if (!OwnedByUs(st))
                return ConfFileStatus::Foreign;
            if (++links > kMaxLinks)
                return ConfFileStatus::Unreadable;
            std::string target(PATH_MAX, '\0');
            const ssize_t n = ::readlinkat(fd.get(), "", target.data(), target.size());
            if (n <= 0 || std::size_t(n) >= target.size())
                return ConfFileStatus::Unreadable;
            target.resize(std::size_t(n));
            if (target.front() == '/')
                dir = Fd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
            PushComponents(target, pending);
            continue;
        }
        if (last) {
            place = Place{std::move(dir), name};
            return ConfFileStatus::Ok;
        }
        if (!S_ISDIR(st.st_mode))
            return ConfFileStatus::Unreadable;
        dir = std::move(fd);
    }
    return ConfFileStatus::Unreadable;
}

// A plain file or nothing, as far as a look without opening tells: a device
// is not even opened, since opening some of them does something.
bool LooksPlain(const Place& place)
{
    struct stat st {};
    return ::fstatat(place.dir.get(), place.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISREG(st.st_mode);
}

// Non-blocking, so that a FIFO swapped in cannot hold us; no controlling
// terminal from a device; never through a link at the last step.
Fd OpenIn(const Place& place, int flags)
{
    return Fd(::openat(place.dir.get(), place.name.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                       kNewFileMode));
}

// Reads all of `fd`, a plain file of `size` bytes. One byte more than that
// tells a file that grew meanwhile, or one whose size means nothing (as under
// /proc): read in part, it would lose entries at the next add.
ConfFileStatus ReadAll(int fd, const struct stat& st, std::size_t maxBytes, std::string& bytes)
{
    if (st.st_size < 0)
        return ConfFileStatus::Unreadable;
    if (std::size_t(st.st_size) > maxBytes)
        return ConfFileStatus::TooLarge;
    const std::size_t limit = std::size_t(st.st_size) + 1;
    std::string read(limit, '\0');
    std::size_t got = 0;
    while (got < limit) {
        const ssize_t n = ::pread(fd, read.data() + got, limit - got, off_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ConfFileStatus::Unreadable;
        if (n == 0)
            break;
        got += std::size_t(n);
    }
    if (got >= limit)
        return ConfFileStatus::Unreadable;
    read.resize(got);
    bytes = std::move(read);
    return ConfFileStatus::Ok;
}

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0;
}

std::chrono::nanoseconds Nanoseconds(const timespec& t)
{
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Any save changes one of these: the size, or the times, which a change of
// the data sets to the present moment.
bool SameContent(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size && SameTime(a.st_mtim, b.st_mtim)
        && SameTime(a.st_ctim, b.st_ctim);
}

// Whether a save may still be under way: its data changed (a write or a
// truncate sets the modification time to the present) less than a moment
// ago. The change time is no guide: a rename moves it, and a file caught
// mid-save may be renamed. A time far ahead is from before the clock was
// set back.
bool MaySaveStill(const struct stat& st)
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const auto age = Nanoseconds(now) - Nanoseconds(st.st_mtim);
    return age < kQuiet && age > -kQuiet;
}

// Waits, until `deadline` at most, for the file to be quiet; `st` is what it
// then is.
ConfFileStatus WaitQuiet(int fd, std::chrono::steady_clock::time_point deadline, struct stat& st)
{
    for (;;) {
        if (::fstat(fd, &st) != 0)
            return ConfFileStatus::Unreadable;
        if (!MaySaveStill(st))
            return ConfFileStatus::Ok;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return ConfFileStatus::Changing;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kQuietPoll, deadline - now));
    }
}

// Whether the name still leads to the file as it was read, unchanged.
bool AsRead(const Place& place, int fd, const struct stat& read)
{
    struct stat now {};
    struct stat named {};
    return ::fstat(fd, &now) == 0 && SameContent(now, read)
        && ::fstatat(place.dir.get(), place.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0
        && named.st_dev == read.st_dev && named.st_ino == read.st_ino;
}

// A file we wrote whole is dated just over a moment back, so that the next
// rewrite (another add at once) reads it without waiting.
void MarkWhole(int fd)
{
    timespec times[2] {};
    times[0].tv_nsec = UTIME_OMIT;
    ::clock_gettime(CLOCK_REALTIME, &times[1]);
    const auto back = std::chrono::nanoseconds(kQuiet) + std::chrono::milliseconds(1);
    const auto then = Nanoseconds(times[1]) - back;
    times[1].tv_sec = time_t(std::chrono::duration_cast<std::chrono::seconds>(then).count());
    times[1].tv_nsec = long((then - std::chrono::seconds(times[1].tv_sec)).count());
    ::futimens(fd, times);
}

// Opens the file for the rewrite, creating it when missing, and takes the
// lock. The file may be replaced between the open and the lock (that is
// what every rewrite does): then the lock is of a file that no longer has
// the name, and it starts over.
ConfFileStatus OpenLocked(const std::string& path, std::chrono::steady_clock::time_point deadline, Place& place,
                          Fd& file, struct stat& st, AddLock& lock)
{
    for (bool again = false;; again = true) {
        if (again && std::chrono::steady_clock::now() >= deadline)
            return ConfFileStatus::Busy;
        if (const ConfFileStatus resolved = Resolve(path, place); resolved != ConfFileStatus::Ok)
            return resolved;
        if (!LooksPlain(place))
            return ConfFileStatus::Unreadable;
        // Read first: whether it is ours and may be written is decided on
        // what was opened, before anything is written.
        file = OpenIn(place, O_RDONLY);
        if (!file.ok()) {
            if (errno == ELOOP)
                continue;   // a link took the name meanwhile: look again
            if (errno != ENOENT)
                return ConfFileStatus::Unreadable;
            file = OpenIn(place, O_RDWR | O_CREAT | O_EXCL);
            if (!file.ok() && (errno == EEXIST || errno == ELOOP))
                continue;
            // A folder that takes no new file.
            if (!file.ok())
                return WriteRefusal(errno);
            // Empty and ours: nobody's save is under way in it.
            MarkWhole(file.get());
        }
        if (::fstat(file.get(), &st) != 0)
            return ConfFileStatus::Unreadable;
        if (const ConfFileStatus verdict = Check(place.dir.get(), st); verdict != ConfFileStatus::Ok)
            return verdict;
        // Read-only means read-only for root too, who may write anything.
        if (!(st.st_mode & S_IWUSR))
            return ConfFileStatus::ReadOnly;
        Fd writable = OpenIn(place, O_RDWR);
        if (!writable.ok())
            return WriteRefusal(errno);
        struct stat opened {};
        if (::fstat(writable.get(), &opened) != 0 || opened.st_dev != st.st_dev || opened.st_ino != st.st_ino)
            continue;   // swapped between the two opens
        file = std::move(writable);
        for (;;) {
            const ConfFileStatus taken = lock.tryTake(st.st_dev, st.st_ino);
            if (taken == ConfFileStatus::Ok)
                break;
            if (taken != ConfFileStatus::Busy)
                return taken;
            if (std::chrono::steady_clock::now() >= deadline)
                return ConfFileStatus::Busy;
            std::this_thread::sleep_for(kLockPoll);
        }
        struct stat named {};
        if (::fstatat(place.dir.get(), place.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0
            && named.st_dev == st.st_dev && named.st_ino == st.st_ino) {
            // The size may have changed while we waited.
            return ::fstat(file.get(), &st) == 0 ? ConfFileStatus::Ok : ConfFileStatus::Unreadable;
        }
        lock.release();
    }
}

enum class Replaced { Yes, Changed, NoNewFile, Failed };

// The name back to what held it before our exchange, unless yet another file
// took it meanwhile; then ours at `temp` goes.
void GiveBack(const Place& place, const std::string& temp, int ours)
{
    struct stat mine {};
    struct stat named {};
    if (::fstat(ours, &mine) == 0 && ::fstatat(place.dir.get(), place.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0
        && named.st_dev == mine.st_dev && named.st_ino == mine.st_ino)
        ::renameat2(place.dir.get(), temp.c_str(), place.dir.get(), place.name.c_str(), RENAME_EXCHANGE);
    ::unlinkat(place.dir.get(), temp.c_str(), 0);
}

// A new file beside the old one, with its mode, that then takes its name,
// provided the old one is still `file` as read (`st`). Nothing is left
// behind unless Yes.
//
// The two swap places in one step, so that the old file is still at hand:
// a save that began just before went into it, and it gets its name back
// (Changed). Where the system cannot swap, the new file simply takes the
// name.
Replaced Replace(const Place& place, int file, const struct stat& st, const std::string& bytes)
{
    std::random_device random;
    std::string temp;
    Fd fd;
    for (int attempt = 0; attempt < 16 && !fd.ok(); ++attempt) {
        temp = "." + place.name + "." + std::to_string(random());
        fd = Fd(::openat(place.dir.get(), temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode));
        if (!fd.ok() && errno != EEXIST)
            break;
    }
    if (!fd.ok())
        return Replaced::NoNewFile;
    if (::fchmod(fd.get(), st.st_mode & 07777) != 0 || !WriteAll(fd.get(), bytes)) {
        ::unlinkat(place.dir.get(), temp.c_str(), 0);
        return Replaced::Failed;
    }
    MarkWhole(fd.get());
    if (!AsRead(place, file, st)) {
        ::unlinkat(place.dir.get(), temp.c_str(), 0);
        return Replaced::Changed;
    }
    if (::renameat2(place.dir.get(), temp.c_str(), place.dir.get(), place.name.c_str(), RENAME_EXCHANGE) == 0) {
        // The old file now bears the temporary name. The change time moves
        // with a rename; size and modification time tell a save.
        struct stat displaced {};
        struct stat now {};
        if (::fstatat(place.dir.get(), temp.c_str(), &displaced, AT_SYMLINK_NOFOLLOW) != 0
            || displaced.st_dev != st.st_dev || displaced.st_ino != st.st_ino || ::fstat(file, &now) != 0
            || now.st_size != st.st_size || !SameTime(now.st_mtim, st.st_mtim)) {
            GiveBack(place, temp, fd.get());
            return Replaced::Changed;
        }
        ::unlinkat(place.dir.get(), temp.c_str(), 0);
    } else if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        ::unlinkat(place.dir.get(), temp.c_str(), 0);
        return Replaced::Failed;
    } else if (::renameat(place.dir.get(), temp.c_str(), place.dir.get(), place.name.c_str()) != 0) {
        ::unlinkat(place.dir.get(), temp.c_str(), 0);
        return Replaced::Failed;
    }
    // The new name itself on disk too; a folder that cannot be synced
    // has it at the latest when the system writes it out.
    if (Fd dir(::openat(place.dir.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)); dir.ok())
        ::fsync(dir.get());
    return Replaced::Yes;
}

} // namespace

void CreateConfFile(const std::filesystem::path& path)
{
    Place place;
    if (Resolve(path.native(), place) != ConfFileStatus::Ok)
        return;
    // Empty: nobody's save is under way in it.
    if (const Fd fd = OpenIn(place, O_WRONLY | O_CREAT | O_EXCL); fd.ok())
        MarkWhole(fd.get());
}

ConfFileStatus ReadConfFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& bytes)
{
    Place place;
    if (const ConfFileStatus resolved = Resolve(path.native(), place); resolved != ConfFileStatus::Ok)
        return resolved;
    if (!LooksPlain(place))
        return ConfFileStatus::Unreadable;
    const Fd fd = OpenIn(place, O_RDONLY);
    if (!fd.ok())
        return errno == ENOENT ? ConfFileStatus::Missing : ConfFileStatus::Unreadable;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return ConfFileStatus::Unreadable;
    if (const ConfFileStatus verdict = Check(place.dir.get(), st); verdict != ConfFileStatus::Ok)
        return verdict;
    return ReadAll(fd.get(), st, maxBytes, bytes);
}

ConfFileStatus RewriteConfFile(const std::filesystem::path& path, std::size_t maxBytes,
                               std::chrono::milliseconds lockWait, const ConfRewrite& rewrite)
{
    const auto deadline = std::chrono::steady_clock::now() + lockWait;
    const auto quietDeadline = std::max(deadline, std::chrono::steady_clock::now() + kQuietWait);
    for (int round = 0; round < kRounds; ++round) {
        Place place;
        Fd file;
        struct stat st {};
        AddLock lock;
        if (const ConfFileStatus opened = OpenLocked(path.native(), deadline, place, file, st, lock);
            opened != ConfFileStatus::Ok)
            return opened;
        if (const ConfFileStatus quiet = WaitQuiet(file.get(), quietDeadline, st); quiet != ConfFileStatus::Ok)
            return quiet;
        std::string old;
        const ConfFileStatus read = ReadAll(file.get(), st, maxBytes, old);
        if (!AsRead(place, file.get(), st))
            continue;   // saved while we read: what was read is not the file
        if (read != ConfFileStatus::Ok)
            return read;
        const std::optional<std::string> bytes = rewrite(old);
        if (!bytes)
            return ConfFileStatus::Ok;
        switch (Replace(place, file.get(), st, *bytes)) {
        case Replaced::Yes:
            return ConfFileStatus::Ok;
        case Replaced::Changed:
            continue;
        case Replaced::Failed:
            return ConfFileStatus::WriteFailed;
        case Replaced::NoNewFile:
            break;
        }
        // The folder takes no new file (read-only, or full): in place, and
        // the old content back when that fails half-way.
        if (!AsRead(place, file.get(), st))
            continue;
        if (WriteAll(file.get(), *bytes)) {
            MarkWhole(file.get());
            return ConfFileStatus::Ok;
        }
        WriteAll(file.get(), old);
        return ConfFileStatus::WriteFailed;
    }
    return ConfFileStatus::Changing;
}

} // namespace zerva
