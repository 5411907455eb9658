#include "platform/os/windows/nt_process_source.h"

#include "platform/os/windows/dos_device_paths.h"
#include "platform/os/windows/nt_dll.h"
#include "platform/os/windows/win_code_page.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <utility>

namespace zerva {

namespace {

// The native layouts, declared here because not every tool chain's headers
// have them (or have them whole).
constexpr ULONG kSystemProcessInformation = 5;
constexpr ULONG kSystemProcessIdInformation = 88;
constexpr ULONG kProcessCommandLineInformation = 60;
constexpr ULONG kProcessBasicInformation = 0;
constexpr NtDll::Status kStatusNotImplemented = static_cast<NtDll::Status>(0xC0000002L);
constexpr NtDll::Status kStatusInvalidInfoClass = static_cast<NtDll::Status>(0xC0000003L);
constexpr NtDll::Status kStatusInfoLengthMismatch = static_cast<NtDll::Status>(0xC0000004L);
constexpr NtDll::Status kStatusBufferTooSmall = static_cast<NtDll::Status>(0xC0000023L);

// More than any system's list of processes and threads: a length asked
// for beyond it is no answer to follow.
constexpr std::size_t kListLimit = std::size_t{64} << 20;
// A command line holds at most 32 767 characters and its terminating NUL,
// after its descriptor.
constexpr std::size_t kCommandLineRoom = 16 + 65536;

struct NativeString {
    USHORT Length;          // bytes, without a terminating NUL
    USHORT MaximumLength;
    wchar_t* Buffer;
};

struct NativeProcess {
    ULONG NextEntryOffset;
    ULONG NumberOfThreads;
    LARGE_INTEGER WorkingSetPrivateSize;
    ULONG HardFaultCount;
    ULONG NumberOfThreadsHighWatermark;
    ULONGLONG CycleTime;
    LARGE_INTEGER CreateTime;
    LARGE_INTEGER UserTime;
    LARGE_INTEGER KernelTime;
    NativeString ImageName;
    LONG BasePriority;
    HANDLE UniqueProcessId;
    HANDLE InheritedFromUniqueProcessId;
    ULONG HandleCount;
    ULONG SessionId;
    ULONG_PTR UniqueProcessKey;
    SIZE_T PeakVirtualSize;
    SIZE_T VirtualSize;
    ULONG PageFaultCount;
    SIZE_T PeakWorkingSetSize;
    SIZE_T WorkingSetSize;
    SIZE_T QuotaPeakPagedPoolUsage;
    SIZE_T QuotaPagedPoolUsage;
    SIZE_T QuotaPeakNonPagedPoolUsage;
    SIZE_T QuotaNonPagedPoolUsage;
    SIZE_T PagefileUsage;       // bytes
    SIZE_T PeakPagefileUsage;
    SIZE_T PrivatePageCount;
};
#if defined(_WIN64)
static_assert(offsetof(NativeProcess, ImageName) == 0x38);
static_assert(offsetof(NativeProcess, UniqueProcessId) == 0x50);
static_assert(offsetof(NativeProcess, SessionId) == 0x64);
static_assert(offsetof(NativeProcess, PagefileUsage) == 0xB8);
#endif

struct NativeBasicInformation {
    NtDll::Status ExitStatus;
    void* PebBaseAddress;
    ULONG_PTR AffinityMask;
    LONG BasePriority;
    ULONG_PTR UniqueProcessId;
    ULONG_PTR InheritedFromUniqueProcessId;
};

// Where the command line lies in another 64-bit process's memory: the
// process parameters' pointer in its environment block, and the command
// line's descriptor in those parameters.
constexpr std::size_t kPebProcessParameters = 0x20;
constexpr std::size_t kParametersCommandLine = 0x70;

struct NativeProcessId {
    HANDLE ProcessId;
    NativeString ImageName;
};

// The two pseudo-processes that run no program file; the management
// service names the first one itself.
constexpr std::int64_t kIdlePid = 0;
constexpr std::int64_t kSystemPid = 4;

class Handle {
public:
    Handle(const NtDll& nt, HANDLE h) : m_nt(nt), m_h(h) {}
    ~Handle() { if (m_h) m_nt.closeProcess(m_h); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_h; }
private:
    const NtDll& m_nt;
    HANDLE m_h;
};

std::string utf8(const wchar_t* text, std::size_t length)
{
    return Utf16ToUtf8Lenient(text, length);
}

std::string utf8(std::wstring_view text)
{
    return Utf16ToUtf8Lenient(text.data(), text.size());
}

// The text a native string of an answer names, when all of it lies within
// the first `valid` bytes of `buffer`, the part the call wrote; nothing
// otherwise, whatever its length and address claim. Copied out, as the
// answer need not keep it aligned.
std::optional<std::wstring> textWithin(const std::vector<std::byte>& buffer, std::size_t valid,
                                       const NativeString& text)
{
    if (!text.Buffer || text.Length < sizeof(wchar_t))
        return std::nullopt;
    const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
    const auto at = reinterpret_cast<std::uintptr_t>(text.Buffer);
    valid = std::min(valid, buffer.size());
    if (at < begin || at - begin > valid || valid - (at - begin) < text.Length)
        return std::nullopt;
    std::wstring out(text.Length / sizeof(wchar_t), L'\0');
    std::memcpy(out.data(), buffer.data() + (at - begin), out.size() * sizeof(wchar_t));
    return out;
}

// A path that Zerva can show and compare as the system spells it. An
// unpaired surrogate would read as U+FFFD, alike for different files, and
// a NUL is in no file's name.
bool showable(std::wstring_view path)
{
    return path.find(L'\0') == std::wstring_view::npos && IsWellFormedUtf16(path.data(), path.size());
}

// The path from the kernel's record of the process, without opening it
// (so also for processes that refuse everyone access to themselves).
std::optional<std::wstring> pathById(const NtDll& nt, std::int64_t pid, std::vector<std::byte>& buffer,
                                     DosDevicePaths& drives, NtDll::Status& status)
{
    if (buffer.size() < 1024)
        buffer.resize(1024);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto room = static_cast<USHORT>(std::min<std::size_t>(buffer.size(), 0xFFFE));
        NativeProcessId info{};
        info.ProcessId = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(pid));
        info.ImageName.MaximumLength = room;
        info.ImageName.Buffer = reinterpret_cast<wchar_t*>(buffer.data());
        status = nt.querySystemInformation(kSystemProcessIdInformation, &info, sizeof info, nullptr);
        // Too little room: the answer says how much the name needs.
        if (status == kStatusInfoLengthMismatch && attempt == 0 && info.ImageName.MaximumLength > room) {
            buffer.resize(info.ImageName.MaximumLength);
            continue;
        }
        if (status < 0)
            return std::nullopt;
        // The name is read where we asked for it, never beyond the room we
        // gave, whatever address and length the answer holds.
        info.ImageName.Buffer = reinterpret_cast<wchar_t*>(buffer.data());
        const auto name = textWithin(buffer, room, info.ImageName);
        // The pseudo-processes (Registry, Memory Compression) give a bare
        // name: no program file, as the management service reports them.
        if (!name || name->front() != L'\\')
            return std::nullopt;
        // A name the drives cannot give (a device without a letter) is
        // still a path: it is shown as the kernel gives it.
        return drives.toDosPath(*name).value_or(*name);
    }
    return std::nullopt;
}

std::optional<std::wstring> pathByHandle(const NtDll& nt, HANDLE process)
{
    if (!process || !nt.imagePath)
        return std::nullopt;
    std::wstring path(32768, L'\0');
    DWORD length = 32768;
    if (!nt.imagePath(process, path.data(), &length) || length == 0)
        return std::nullopt;
    path.resize(std::min<std::size_t>(length, 32767));
    return path;
}

// The command line, cut as on every platform after CommandLineLimit bytes
// of UTF-8, before a character rather than inside one, with "..." added.
std::optional<std::string> cutCommandLine(const wchar_t* text, std::size_t length)
{
    if (!text || length == 0)
        return std::nullopt;
    std::string line = utf8(text, length);
    if (line.size() > CommandLineLimit) {
        std::size_t len = CommandLineLimit;
        while (len > 0 && (static_cast<unsigned char>(line[len]) & 0xC0) == 0x80)
            --len;
        line.resize(len);
        line += "...";
    }
    return line;
}

// Windows 8.1 and later hand the command line over in one call.
std::optional<std::string> commandLineByQuery(const NtDll& nt, HANDLE process, std::vector<std::byte>& buffer,
                                              NtDll::Status& status)
{
    if (buffer.size() < 4096)
        buffer.resize(4096);
    ULONG needed = 0;
    status = nt.queryInformationProcess(process, kProcessCommandLineInformation, buffer.data(),
                                        static_cast<ULONG>(buffer.size()), &needed);
    // Retried once, with the room asked for, never more than a command
    // line can need.
    if ((status == kStatusInfoLengthMismatch || status == kStatusBufferTooSmall) && needed > buffer.size()
        && needed <= kCommandLineRoom) {
        buffer.resize(needed);
        status = nt.queryInformationProcess(process, kProcessCommandLineInformation, buffer.data(),
                                            static_cast<ULONG>(buffer.size()), &needed);
    }
    if (status < 0)
        return std::nullopt;
    // The descriptor, then the text it points to, both within our buffer.
    NativeString line{};
    std::memcpy(&line, buffer.data(), sizeof line);
    const auto text = textWithin(buffer, buffer.size(), line);
    return text ? cutCommandLine(text->data(), text->size()) : std::nullopt;
}

// Elsewhere (earlier systems, Wine) it is read from the process's memory.
// `process` must be open for PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
// `parameters`, where the process keeps its parameters, is looked up when
// null and kept by the caller for the process's next refresh.
std::optional<std::string> commandLineFromMemory(const NtDll& nt, HANDLE process, std::vector<std::byte>& buffer,
                                                 const std::byte*& parameters)
{
    const auto read = [&](const void* at, void* into, std::size_t size) {
        SIZE_T got = 0;
        return nt.readMemory(process, at, into, size, &got) && got == size;
    };
    if (!parameters) {
        NativeBasicInformation basic{};
        if (nt.queryInformationProcess(process, kProcessBasicInformation, &basic, sizeof basic, nullptr) < 0
            || !basic.PebBaseAddress
            || !read(static_cast<const std::byte*>(basic.PebBaseAddress) + kPebProcessParameters, &parameters,
                     sizeof parameters))
            parameters = nullptr;
        if (!parameters)
            return std::nullopt;
    }
    // The command line itself is read afresh: a process may rewrite it.
    NativeString line{};
    if (!read(parameters + kParametersCommandLine, &line, sizeof line) || !line.Buffer)
        return std::nullopt;
    // Never more than Windows' own limit, whatever the other process wrote.
    const std::size_t length = std::min<std::size_t>(line.Length / sizeof(wchar_t), 32767);
    buffer.resize(std::max(buffer.size(), length * sizeof(wchar_t)));
    if (!read(line.Buffer, buffer.data(), length * sizeof(wchar_t)))
        return std::nullopt;
    return cutCommandLine(reinterpret_cast<const wchar_t*>(buffer.data()), length);
}

} // namespace

NtProcessSource::NtProcessSource(const NtDll& calls)
    : m_nt(calls)
{
    DWORD session = 0;
    // Unknown, it matches no process: the other sessions' rule holds for all.
    m_ownSession = ProcessIdToSessionId(GetCurrentProcessId(), &session) ? session : 0xFFFFFFFF;
}

bool NtProcessSource::available()
{
    return NtDll::get().querySystemInformation != nullptr;
}

bool NtProcessSource::readList(std::size_t& valid)
{
    const auto query = m_nt.querySystemInformation;
    if (!query)
        return false;
    if (m_list.size() < 256 * 1024)
        m_list.resize(256 * 1024);
    // The list may grow between the calls: a few tries with room to spare.
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG returned = 0;
        const NtDll::Status status =
            query(kSystemProcessInformation, m_list.data(), static_cast<ULONG>(m_list.size()), &returned);
        if (status >= 0) {
            // What the call wrote; the whole buffer where it does not say.
            valid = returned > 0 && returned <= m_list.size() ? returned : m_list.size();
            return true;
        }
        if (status != kStatusInfoLengthMismatch && status != kStatusBufferTooSmall)
            return false;
        const std::size_t next = std::max<std::size_t>(m_list.size() * 2, std::size_t{returned} + 64 * 1024);
        if (next > kListLimit)
            return false;
        m_list.resize(next);
    }
    return false;
}

void* NtProcessSource::open(std::int64_t pid) const
{
    if (!m_nt.openProcess)
        return nullptr;
    const auto id = static_cast<DWORD>(pid);
    if (m_commandLineQuery)
        return m_nt.openProcess(PROCESS_QUERY_LIMITED_INFORMATION, id);
    // The command line is read from the process's memory: one handle for
    // that and the path, or a lesser one for the path alone.
    if (HANDLE process = m_nt.openProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, id))
        return process;
    return m_nt.openProcess(PROCESS_QUERY_LIMITED_INFORMATION, id);
}

std::optional<std::string> NtProcessSource::commandLineOf(std::int64_t pid, void* process,
                                                          const std::byte*& parameters)
{
    // A process that refuses limited queries refuses reading its memory too.
    if (!m_nt.queryInformationProcess || !process)
        return std::nullopt;
    if (m_commandLineQuery) {
        NtDll::Status status = 0;
        auto line = commandLineByQuery(m_nt, process, m_scratch, status);
        if (status != kStatusInvalidInfoClass && status != kStatusNotImplemented)
            return line;
        // Not on this system: not asked again, and this process's memory
        // is read through a handle that allows it.
        m_commandLineQuery = false;
        if (!m_nt.readMemory || !m_nt.openProcess)
            return std::nullopt;
        const Handle reading(m_nt, m_nt.openProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ,
                                                    static_cast<DWORD>(pid)));
        return reading.get() ? commandLineFromMemory(m_nt, reading.get(), m_scratch, parameters) : std::nullopt;
    }
    return m_nt.readMemory ? commandLineFromMemory(m_nt, process, m_scratch, parameters) : std::nullopt;
}

bool NtProcessSource::snapshot(std::vector<ProcessInfo>& out)
{
    out.clear();
    std::size_t valid = 0;
    if (!readList(valid) || valid < sizeof(NativeProcess))
        return false;
    DosDevicePaths drives;
    // Only the processes of this snapshot are kept for the next one.
    std::unordered_map<std::int64_t, Known> known;
    known.reserve(m_known.size() + 16);
    // Each record is read only where all of it lies within what the call
    // wrote; a record that would not is the end of the list.
    for (std::size_t offset = 0; valid - offset >= sizeof(NativeProcess);) {
        NativeProcess p;
        std::memcpy(&p, m_list.data() + offset, sizeof p);
        ProcessInfo& info = out.emplace_back();
        info.pid = static_cast<std::int64_t>(reinterpret_cast<ULONG_PTR>(p.UniqueProcessId));
        // Caption, name and description are the image name, as the
        // management service gives them.
        if (const auto image = textWithin(m_list, valid, p.ImageName))
            info.caption = utf8(*image);
        else if (info.pid == kIdlePid)
            info.caption = "System Idle Process";
        info.name = info.caption;
        info.description = info.caption;
        info.priority = p.BasePriority;
        info.threadCount = p.NumberOfThreads;
        // Bytes, in whole kilobytes as the service counts them, so that
        // both sources show the same figure.
        info.pageFileUsage = static_cast<std::int64_t>(p.PagefileUsage / 1024) * 1024;

        if (info.pid != kIdlePid && info.pid != kSystemPid) {
            const std::int64_t created = p.CreateTime.QuadPart;
            Known kept;
            if (const auto it = m_known.find(info.pid); it != m_known.end() && it->second.created == created)
                kept = std::move(it->second);
            kept.created = created;
            const Handle process(m_nt, open(info.pid));
            if (!kept.path && !kept.pathUnshowable) {
                std::optional<std::wstring> path;
                if (m_pathById) {
                    NtDll::Status status = 0;
                    path = pathById(m_nt, info.pid, m_scratch, drives, status);
                    // Not on this system (Wine 8): not asked again.
                    m_pathById = status != kStatusInvalidInfoClass && status != kStatusNotImplemented;
                }
                if (!path)
                    path = pathByHandle(m_nt, process.get());
                if (path && showable(*path))
                    kept.path = utf8(*path);
                else if (path)
                    kept.pathUnshowable = true;
            }
            info.executablePath = kept.path;
            info.commandLine = commandLineOf(info.pid, process.get(), kept.parameters);
            // A program in the user's own session that keeps its path from
            // us is a reason to look, not to hide; so is, in any session, a
            // path that cannot be shown as the system spells it.
            info.pathSuspect = (!info.executablePath && p.SessionId == m_ownSession) || kept.pathUnshowable;
            known[info.pid] = std::move(kept);
        }

        if (p.NextEntryOffset == 0 || p.NextEntryOffset > valid - offset)
            break;
        offset += p.NextEntryOffset;
    }
    m_known = std::move(known);
    return true;
}

} // namespace zerva
