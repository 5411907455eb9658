#include "platform/os/conf_file.h"

#include <windows.h>

#include <thread>
#include <utility>

// kvr.conf on Windows. Who may use a file is the business of its access
// control list, which the system checks at the open; there is no owner rule
// of our own.

namespace zerva {

namespace {

constexpr auto kLockPoll = std::chrono::milliseconds(5);
// The lock is one byte far beyond any real content, so that it keeps other
// Zervas' adds out without making a plain read of the file fail.
constexpr DWORD kLockOffsetHigh = 0x7fffffff;

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

bool SameFile(HANDLE a, HANDLE b)
{
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return ::GetFileInformationByHandle(a, &x) && ::GetFileInformationByHandle(b, &y)
        && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh
        && x.nFileIndexLow == y.nFileIndexLow;
}

// Everything, from the first byte; one byte more than the size tells a file
// that grew meanwhile.
ConfFileStatus ReadAll(HANDLE h, std::size_t maxBytes, std::string& bytes)
{
    LARGE_INTEGER size{};
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileSizeEx(h, &size) || size.QuadPart < 0
        || std::size_t(size.QuadPart) > maxBytes)
        return ConfFileStatus::Unreadable;
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

ConfFileStatus OpenLocked(const std::filesystem::path& path, std::chrono::steady_clock::time_point deadline,
                          Handle& file)
{
    for (bool again = false;; again = true) {
        if (again && std::chrono::steady_clock::now() >= deadline)
            return ConfFileStatus::Busy;
        file = Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
        if (!file.ok()) {
            // A read-only file, or a folder that takes no new file: nothing
            // is written. Anything else cannot be read either.
            const Handle readOnly = Open(path, GENERIC_READ, OPEN_EXISTING);
            if (readOnly.ok())
                return ::GetFileType(readOnly.get()) == FILE_TYPE_DISK ? ConfFileStatus::WriteFailed
                                                                        : ConfFileStatus::Unreadable;
            return ::GetLastError() == ERROR_FILE_NOT_FOUND ? ConfFileStatus::WriteFailed : ConfFileStatus::Unreadable;
        }
        OVERLAPPED at{};
        at.OffsetHigh = kLockOffsetHigh;
        while (!::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            if (std::chrono::steady_clock::now() >= deadline)
                return ConfFileStatus::Busy;
            std::this_thread::sleep_for(kLockPoll);
        }
        // Another add may have replaced the file between our open and our
        // lock: then the lock guards a file without the name.
        const Handle named = Open(path, FILE_READ_ATTRIBUTES, OPEN_EXISTING);
        if (named.ok() && SameFile(named.get(), file.get()))
            return ConfFileStatus::Ok;
    }
}

} // namespace

void CreateConfFile(const std::filesystem::path& path)
{
    Open(path, GENERIC_WRITE, CREATE_NEW);
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
    Handle file;
    if (const ConfFileStatus opened = OpenLocked(path, std::chrono::steady_clock::now() + lockWait, file);
        opened != ConfFileStatus::Ok)
        return opened;
    std::string old;
    if (const ConfFileStatus read = ReadAll(file.get(), maxBytes, old); read != ConfFileStatus::Ok)
        return read;
    const std::optional<std::string> bytes = rewrite(old);
    if (!bytes)
        return ConfFileStatus::Ok;
    // Windows renames no file over one that is open, not even with
    // FILE_SHARE_DELETE, and this one is open: the lock lives on our handle.
    // So the new content is written in place, under the lock; should that
    // fail, the old content, kept here, is written back.
    if (WriteAll(file.get(), *bytes))
        return ConfFileStatus::Ok;
    WriteAll(file.get(), old);
    return ConfFileStatus::WriteFailed;
}

} // namespace zerva
