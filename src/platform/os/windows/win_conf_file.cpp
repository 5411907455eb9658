#include "platform/os/conf_file.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <utility>

// kvr.conf on Windows. Who may use a file is the business of its access
// control list, which the system checks at the open; there is no owner rule
// of our own.
//
// Adds are kept apart by a named mutex, named after the file's full path,
// rather than by a lock on the file: Windows refuses to replace a file that
// is open, and the lock would keep it open.

namespace zerva {

namespace {

// A reader that has the file open for a moment makes the replace fail;
// it is tried again for about this long.
constexpr int kReplaceTries = 20;
constexpr DWORD kReplacePauseMs = 10;

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

// Held while it lives: the mutex of all adds to the file at `path`.
class AddLock {
public:
    AddLock(const std::filesystem::path& path, std::chrono::milliseconds wait)
    {
        const std::wstring name = mutexName(path);
        // All sessions where the system allows it, this one otherwise.
        m_mutex = Handle(::CreateMutexW(nullptr, FALSE, (L"Global\\" + name).c_str()));
        if (!m_mutex.ok())
            m_mutex = Handle(::CreateMutexW(nullptr, FALSE, (L"Local\\" + name).c_str()));
        if (!m_mutex.ok())
            return;
        const DWORD got = ::WaitForSingleObject(m_mutex.get(), DWORD(wait.count()));
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
    bool owned() const { return m_owned; }

private:
    static std::wstring mutexName(const std::filesystem::path& path)
    {
        std::wstring full(32768, L'\0');
        const DWORD n = ::GetFullPathNameW(path.c_str(), DWORD(full.size()), full.data(), nullptr);
        full.resize(n < full.size() ? n : 0);
        ::CharLowerBuffW(full.data(), DWORD(full.size()));
        // FNV-1a: a name of fixed length, whatever the length of the path.
        std::uint64_t hash = 1469598103934665603ull;
        for (const wchar_t c : full) {
            hash ^= std::uint64_t(c);
            hash *= 1099511628211ull;
        }
        wchar_t name[40];
        std::swprintf(name, 40, L"zerva-kvr-%016llx", static_cast<unsigned long long>(hash));
        return name;
    }

    Handle m_mutex;
    bool m_owned = false;
};

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

// The file, opened for reading and writing (created when missing), or why
// not.
ConfFileStatus OpenForRewrite(const std::filesystem::path& path, Handle& file)
{
    file = Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (file.ok())
        return ConfFileStatus::Ok;
    // A read-only file, or a folder that takes no new file: nothing is
    // written. Anything else cannot be read either.
    const Handle readOnly = Open(path, GENERIC_READ, OPEN_EXISTING);
    if (readOnly.ok())
        return ::GetFileType(readOnly.get()) == FILE_TYPE_DISK ? ConfFileStatus::WriteFailed : ConfFileStatus::Unreadable;
    return ::GetLastError() == ERROR_FILE_NOT_FOUND ? ConfFileStatus::WriteFailed : ConfFileStatus::Unreadable;
}

// A new file beside the old one that then takes its name; `created` tells
// whether the folder took a new file at all.
bool Replace(const std::filesystem::path& path, const std::string& bytes, bool& created)
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
    h = Handle();
    for (int attempt = 0; written && attempt < kReplaceTries; ++attempt) {
        if (::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        ::Sleep(kReplacePauseMs);
    }
    ::DeleteFileW(temp.c_str());
    return false;
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
    const AddLock lock(path, lockWait);
    if (!lock.owned())
        return ConfFileStatus::Busy;
    Handle file;
    if (const ConfFileStatus opened = OpenForRewrite(path, file); opened != ConfFileStatus::Ok)
        return opened;
    std::string old;
    if (const ConfFileStatus read = ReadAll(file.get(), maxBytes, old); read != ConfFileStatus::Ok)
        return read;
    const std::optional<std::string> bytes = rewrite(old);
    if (!bytes)
        return ConfFileStatus::Ok;
    // Closed, so that the new file can take its name.
    file = Handle();
    bool created = false;
    if (Replace(path, *bytes, created))
        return ConfFileStatus::Ok;
    if (created)
        return ConfFileStatus::WriteFailed;
    // The folder takes no new file: in place, and the old content back when
    // that fails half-way.
    file = Open(path, GENERIC_WRITE, OPEN_EXISTING);
    if (!file.ok())
        return ConfFileStatus::WriteFailed;
    if (WriteAll(file.get(), *bytes))
        return ConfFileStatus::Ok;
    WriteAll(file.get(), old);
    return ConfFileStatus::WriteFailed;
}

} // namespace zerva
