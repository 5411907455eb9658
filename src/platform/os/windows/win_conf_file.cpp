#include "platform/os/conf_file.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <utility>

// kvr.conf on Windows. Who may use a file is the business of its access
// control list, which the system checks at the open; there is no owner rule
// of our own.
//
// Adds are kept apart by a named mutex, named after the file's identity
// (volume serial number and file index, the same however the path is spelt
// or whichever drive letter reaches it), rather than by a lock on the file:
// Windows refuses to replace a file that is open, and the lock would keep it
// open. Every add replaces the file and so changes its index: whoever gets
// the mutex checks that the name still leads to that file, and starts over
// when it does not.

namespace zerva {

namespace {

// A reader that has the file open for a moment makes the replace fail;
// it is tried again for about this long.
constexpr int kReplaceTries = 20;
constexpr DWORD kReplacePauseMs = 10;
// A save whose data was written less than this ago (in the 100 ns units of
// file times) may not be over: a truncate, its write still to come.
constexpr LONGLONG kQuiet = 200 * 10'000;
constexpr DWORD kQuietPollMs = 20;
// How long a rewrite waits for a save to be over, however short its wait
// for the lock: just over that moment, so that one save does not refuse it.
constexpr ULONGLONG kQuietWaitMs = 250;
// Reads and changes of one rewrite while another program keeps saving.
constexpr int kRounds = 5;

class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    Handle(Handle&& other) noexcept : m_h(std::exchange(other.m_h, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&& other) noexcept
    {
        std::swap(m_h, other.m_h);
        return *this;
    }
    ~Handle()
    {
        if (ok())
            ::CloseHandle(m_h);
    }
    HANDLE get() const { return m_h; }
    bool ok() const { return m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};

// Others may go on reading, writing, renaming and deleting: the lock, not the
// sharing mode, keeps adds apart.
Handle Open(const std::filesystem::path& path, DWORD access, DWORD disposition)
{
    return Handle(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

struct Identity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    DWORD attributes = 0;
    bool operator==(const Identity& o) const
    {
        return volume == o.volume && indexHigh == o.indexHigh && indexLow == o.indexLow;
    }
};

bool IdentityOf(HANDLE h, Identity& id)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info))
        return false;
    id = Identity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow, info.dwFileAttributes};
    return true;
}

// What a read saw of the file: any save changes its size or its times.
struct Seen {
    Identity id;
    LONGLONG size = 0;
    LONGLONG written = 0;
    LONGLONG changed = 0;
    bool operator==(const Seen& o) const
    {
        return id == o.id && size == o.size && written == o.written && changed == o.changed;
    }
};

bool SeenOf(HANDLE h, Seen& seen)
{
    FILE_BASIC_INFO basic{};
    LARGE_INTEGER size{};
    if (!IdentityOf(h, seen.id) || !::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, DWORD(sizeof basic))
        || !::GetFileSizeEx(h, &size))
        return false;
    seen.size = size.QuadPart;
    seen.written = basic.LastWriteTime.QuadPart;
    seen.changed = basic.ChangeTime.QuadPart;
    return true;
}

LONGLONG Now()
{
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return LONGLONG((ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

// Whether a save may still be under way: its data written less than a
// moment ago. The change time is no guide: a rename moves it. A time far
// ahead is from before the clock was set back.
bool MaySaveStill(const Seen& seen)
{
    const LONGLONG age = Now() - seen.written;
    return age < kQuiet && age > -kQuiet;
}

// Whether the name still leads to the file as read, unchanged.
bool AsRead(const std::filesystem::path& path, const Seen& read)
{
    const Handle h = Open(path, FILE_READ_ATTRIBUTES, OPEN_EXISTING);
    Seen seen;
    return h.ok() && SeenOf(h.get(), seen) && seen == read;
}

// A file we wrote whole is dated just over a moment back, so that the next
// rewrite (another add at once) reads it without waiting.
void MarkWhole(HANDLE h)
{
    FILE_BASIC_INFO basic{};   // zero: left as it is
    basic.LastWriteTime.QuadPart = Now() - kQuiet - 10'000;
    ::SetFileInformationByHandle(h, FileBasicInfo, &basic, DWORD(sizeof basic));
}

// Held while it lives: the mutex of all adds to the file with this identity.
class AddLock {
public:
    AddLock(const Identity& id, DWORD waitMs)
    {
        wchar_t name[64];
        std::swprintf(name, 64, L"zerva-kvr-%08lx-%08lx%08lx", static_cast<unsigned long>(id.volume),
                      static_cast<unsigned long>(id.indexHigh), static_cast<unsigned long>(id.indexLow));
        // All sessions where the system allows it, this one otherwise.
        m_mutex = Mutex(std::wstring(L"Global\\") + name);
        if (!m_mutex.ok())
            m_mutex = Mutex(std::wstring(L"Local\\") + name);
        if (!m_mutex.ok())
            return;
        const DWORD got = ::WaitForSingleObject(m_mutex.get(), waitMs);
        // An owner that ended without releasing it has finished its add or
        // left the file as it was: both are safe to go on from.
        m_owned = got == WAIT_OBJECT_0 || got == WAIT_ABANDONED;
    }
    ~AddLock()
    {
        if (m_owned)
            ::ReleaseMutex(m_mutex.get());
    }
    AddLock(const AddLock&) = delete;
    AddLock& operator=(const AddLock&) = delete;
    bool made() const { return m_mutex.ok(); }
    bool owned() const { return m_owned; }

private:
    // CreateMutexW fails with a null handle, not an invalid one.
    static Handle Mutex(const std::wstring& name)
    {
        const HANDLE h = ::CreateMutexW(nullptr, FALSE, name.c_str());
        return Handle(h ? h : INVALID_HANDLE_VALUE);
    }

    Handle m_mutex;
    bool m_owned = false;
};

// Everything, from the first byte; one byte more than the size tells a file
// that grew meanwhile.
ConfFileStatus ReadAll(HANDLE h, std::size_t maxBytes, std::string& bytes)
{
    LARGE_INTEGER size{};
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileSizeEx(h, &size) || size.QuadPart < 0)
        return ConfFileStatus::Unreadable;
    if (std::size_t(size.QuadPart) > maxBytes)
        return ConfFileStatus::TooLarge;
    const std::size_t limit = std::size_t(size.QuadPart) + 1;
    std::string read(limit, '\0');
    std::size_t got = 0;
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(h, start, nullptr, FILE_BEGIN))
        return ConfFileStatus::Unreadable;
    while (got < limit) {
        DWORD n = 0;
        if (!::ReadFile(h, read.data() + got, DWORD(limit - got), &n, nullptr))
            return ConfFileStatus::Unreadable;
        if (n == 0)
            break;
        got += n;
    }
    if (got >= limit)
        return ConfFileStatus::Unreadable;
    read.resize(got);
    bytes = std::move(read);
    return ConfFileStatus::Ok;
}

bool WriteAll(HANDLE h, const std::string& bytes)
{
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(h, start, nullptr, FILE_BEGIN))
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD n = 0;
        if (!::WriteFile(h, bytes.data() + done, DWORD(bytes.size() - done), &n, nullptr) || n == 0)
            return false;
        done += n;
    }
    return ::SetEndOfFile(h) && ::FlushFileBuffers(h);
}

// Why the file could not be opened for writing.
ConfFileStatus WriteRefusal(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return ConfFileStatus::NoPermission;
    case ERROR_WRITE_PROTECT:
        return ConfFileStatus::ReadOnly;
    default:
        return ConfFileStatus::WriteFailed;
    }
}

// The file, opened for reading and writing (created when missing), with its
// identity, or why not. A file with the read-only attribute is never
// written, not even by an administrator.
ConfFileStatus OpenForRewrite(const std::filesystem::path& path, Handle& file, Identity& id)
{
    Handle look = Open(path, GENERIC_READ, OPEN_ALWAYS);
    if (!look.ok()) {
        const DWORD error = ::GetLastError();
        // A folder of that name is refused as access denied.
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return ConfFileStatus::Unreadable;
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ConfFileStatus::Missing
            : error == ERROR_ACCESS_DENIED                                   ? ConfFileStatus::NoPermission
                                                                             : ConfFileStatus::Unreadable;
    }
    if (::GetFileType(look.get()) != FILE_TYPE_DISK || !IdentityOf(look.get(), id)
        || (id.attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ConfFileStatus::Unreadable;
    if (id.attributes & FILE_ATTRIBUTE_READONLY)
        return ConfFileStatus::ReadOnly;
    file = Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    if (!file.ok())
        return WriteRefusal(::GetLastError());
    Identity same;
    if (!IdentityOf(file.get(), same) || !(same == id))
        return ConfFileStatus::Busy;   // replaced between the two opens
    return ConfFileStatus::Ok;
}

// A new file beside the old one that then takes its name, provided the old
// one is still as read; `created` tells whether the folder took a new file
// at all, `changed` that the old one was saved meanwhile.
bool Replace(const std::filesystem::path& path, const std::string& bytes, const Seen& read, bool& created,
             bool& changed)
{
    std::random_device random;
    std::filesystem::path temp;
    Handle h;
    for (int attempt = 0; attempt < 16 && !h.ok(); ++attempt) {
        temp = path;
        temp += L"." + std::to_wstring(random()) + L".tmp";
        h = Handle(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.ok() && ::GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    created = h.ok();
    if (!created)
        return false;
    const bool written = WriteAll(h.get(), bytes);
    if (written)
        MarkWhole(h.get());
    h = Handle();
    for (int attempt = 0; written && attempt < kReplaceTries; ++attempt) {
        if (!AsRead(path, read)) {
            changed = true;
            break;
        }
        if (::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        ::Sleep(kReplacePauseMs);
    }
    ::DeleteFileW(temp.c_str());
    return false;
}

// Opens the file for the rewrite and takes its lock, waiting until
// `deadline` at most.
ConfFileStatus OpenLocked(const std::filesystem::path& path, ULONGLONG deadline, Handle& file,
                          std::unique_ptr<AddLock>& lock)
{
    for (int round = 0;; ++round) {
        Identity id;
        const ConfFileStatus opened = OpenForRewrite(path, file, id);
        if (opened != ConfFileStatus::Ok && opened != ConfFileStatus::Busy)
            return opened;
        const ULONGLONG now = ::GetTickCount64();
        if (opened == ConfFileStatus::Ok) {
            lock.reset();
            lock = std::make_unique<AddLock>(id, DWORD(now < deadline ? deadline - now : 0));
            if (!lock->made())
                return ConfFileStatus::LockFailed;
            if (!lock->owned())
                return ConfFileStatus::Busy;
            // Still the file of that name, now that the lock is ours?
            Identity named;
            const Handle again = Open(path, GENERIC_READ, OPEN_EXISTING);
            if (again.ok() && IdentityOf(again.get(), named) && named == id)
                return ConfFileStatus::Ok;
        }
        // Replaced meanwhile by another add: a few quick rounds even without
        // a wait, since the replacing add is already over.
        if (round >= 8 && ::GetTickCount64() >= deadline)
            return ConfFileStatus::Busy;
    }
}

// Waits, until `deadline` at most, for no save to be under way; `seen` is
// what the file then is.
ConfFileStatus WaitQuiet(HANDLE file, ULONGLONG deadline, Seen& seen)
{
    for (;;) {
        if (!SeenOf(file, seen))
            return ConfFileStatus::Unreadable;
        if (!MaySaveStill(seen))
            return ConfFileStatus::Ok;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline)
            return ConfFileStatus::Changing;
        ::Sleep(DWORD(deadline - now < kQuietPollMs ? deadline - now : kQuietPollMs));
    }
}

} // namespace

void CreateConfFile(const std::filesystem::path& path)
{
    // Empty: nobody's save is under way in it.
    if (const Handle h = Open(path, GENERIC_WRITE, CREATE_NEW); h.ok())
        MarkWhole(h.get());
}

ConfFileStatus ReadConfFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& bytes)
{
    const Handle h = Open(path, GENERIC_READ, OPEN_EXISTING);
    if (!h.ok())
        return ::GetLastError() == ERROR_FILE_NOT_FOUND ? ConfFileStatus::Missing : ConfFileStatus::Unreadable;
    return ReadAll(h.get(), maxBytes, bytes);
}

ConfFileStatus RewriteConfFile(const std::filesystem::path& path, std::size_t maxBytes,
                               std::chrono::milliseconds lockWait, const ConfRewrite& rewrite)
{
    const ULONGLONG start = ::GetTickCount64();
    const ULONGLONG deadline = start + ULONGLONG(lockWait.count());
    const ULONGLONG quietDeadline = deadline > start + kQuietWaitMs ? deadline : start + kQuietWaitMs;
    for (int round = 0; round < kRounds; ++round) {
        Handle file;
        std::unique_ptr<AddLock> lock;
        if (const ConfFileStatus locked = OpenLocked(path, deadline, file, lock); locked != ConfFileStatus::Ok)
            return locked;
        Seen read;
        if (const ConfFileStatus quiet = WaitQuiet(file.get(), quietDeadline, read); quiet != ConfFileStatus::Ok)
            return quiet;
        std::string old;
        const ConfFileStatus got = ReadAll(file.get(), maxBytes, old);
        Seen after;
        if (!SeenOf(file.get(), after) || !(after == read) || !AsRead(path, read))
            continue;   // saved while we read: what was read is not the file
        if (got != ConfFileStatus::Ok)
            return got;
        const std::optional<std::string> bytes = rewrite(old);
        if (!bytes)
            return ConfFileStatus::Ok;
        // Closed, so that the new file can take its name.
        file = Handle();
        bool created = false;
        bool changed = false;
        if (Replace(path, *bytes, read, created, changed))
            return ConfFileStatus::Ok;
        if (changed)
            continue;
        if (created)
            return ConfFileStatus::WriteFailed;
        // The folder takes no new file: in place, and the old content back
        // when that fails half-way.
        file = Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
        if (!file.ok())
            return ConfFileStatus::WriteFailed;
        Seen named;
        if (!SeenOf(file.get(), named) || !(named == read))
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
