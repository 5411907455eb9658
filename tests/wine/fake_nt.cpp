#include "fake_nt.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace zerva::test {

namespace {

constexpr ULONG kSystemProcessInformation = 5;
constexpr ULONG kSystemProcessIdInformation = 88;
constexpr ULONG kProcessCommandLineInformation = 60;
constexpr LONG kStatusInvalidHandle = static_cast<LONG>(0xC0000008L);

// The system's own layouts (64-bit), written out as its documentation
// gives them.
struct FakeString {
    USHORT Length;
    USHORT MaximumLength;
    const wchar_t* Buffer;
};

struct FakeRecord {
    ULONG NextEntryOffset;
    ULONG NumberOfThreads;
    std::uint8_t unused1[0x30];
    FakeString ImageName;        // 0x38
    LONG BasePriority;           // 0x48
    HANDLE UniqueProcessId;      // 0x50
    HANDLE InheritedFromUniqueProcessId;
    ULONG HandleCount;
    ULONG SessionId;             // 0x64
    std::uint8_t unused2[0x50];
    SIZE_T PagefileUsage;        // 0xB8
    std::uint8_t unused3[0x40];
};
static_assert(offsetof(FakeRecord, ImageName) == 0x38);
static_assert(offsetof(FakeRecord, UniqueProcessId) == 0x50);
static_assert(offsetof(FakeRecord, SessionId) == 0x64);
static_assert(offsetof(FakeRecord, PagefileUsage) == 0xB8);
static_assert(sizeof(FakeRecord) == 0x100);
constexpr std::size_t kThreadRecord = 0x50;

struct FakeProcessId {
    HANDLE ProcessId;
    FakeString ImageName;
};

} // namespace

FakeNt* FakeNt::s_current = nullptr;

FakeNt::FakeNt(std::vector<FakeProcess> processes)
    : m_processes(std::move(processes)), m_previous(s_current)
{
    s_current = this;
    m_calls.querySystemInformation = &FakeNt::querySystem;
    m_calls.queryInformationProcess = &FakeNt::queryProcess;
    m_calls.openProcess = &FakeNt::open;
    m_calls.closeProcess = &FakeNt::close;
    m_calls.imagePath = &FakeNt::imagePath;
    m_calls.readMemory = &FakeNt::readMemory;
}

FakeNt::~FakeNt()
{
    s_current = m_previous;
}

int FakeNt::asked(ULONG infoClass, std::int64_t pid) const
{
    const auto it = m_asked.find({infoClass, pid});
    return it == m_asked.end() ? 0 : it->second;
}

const FakeProcess* FakeNt::process(std::int64_t pid) const
{
    for (const FakeProcess& p : m_processes)
        if (p.pid == pid)
            return &p;
    return nullptr;
}

const FakeProcess* FakeNt::byHandle(HANDLE process) const
{
    const auto it = m_open.find(process);
    return it == m_open.end() ? nullptr : this->process(it->second);
}

LONG WINAPI FakeNt::querySystem(ULONG infoClass, void* buffer, ULONG length, ULONG* returned)
{
    FakeNt& fake = *s_current;
    if (infoClass == kSystemProcessInformation)
        return fake.list(static_cast<std::byte*>(buffer), length, returned);
    if (infoClass == kSystemProcessIdInformation)
        return fake.pathById(buffer, length);
    return kStatusInvalidInfoClass;
}

LONG FakeNt::list(std::byte* buffer, ULONG length, ULONG* returned)
{
    ++m_listCalls;
    // Each record, its threads' records, its name with a NUL, padding.
    std::vector<std::size_t> offsets;
    std::size_t total = 0;
    for (const FakeProcess& p : m_processes) {
        offsets.push_back(total);
        total += sizeof(FakeRecord) + p.threads * kThreadRecord + (p.image.size() + 1) * sizeof(wchar_t) + padding;
    }
    if (length < total) {
        if (returned)
            *returned = static_cast<ULONG>(total);
        return kStatusInfoLengthMismatch;
    }
    // The threads' records as bytes that read as no name.
    std::memset(buffer, 0xEE, total);
    for (std::size_t i = 0; i < m_processes.size(); ++i) {
        const FakeProcess& p = m_processes[i];
        std::byte* at = buffer + offsets[i];
        std::byte* name = at + sizeof(FakeRecord) + p.threads * kThreadRecord;
        std::memcpy(name, p.image.c_str(), (p.image.size() + 1) * sizeof(wchar_t));
        FakeRecord r{};
        const bool last = i + 1 == m_processes.size();
        r.NextEntryOffset = last ? static_cast<ULONG>(lastOffsetLie) : static_cast<ULONG>(offsets[i + 1] - offsets[i]);
        r.NumberOfThreads = p.threads;
        if (!p.image.empty()) {
            r.ImageName.Buffer = p.imageElsewhere ? m_elsewhere.c_str() : reinterpret_cast<const wchar_t*>(name);
            r.ImageName.Length = static_cast<USHORT>(static_cast<long>(p.image.size() * sizeof(wchar_t)) + p.imageLengthLie);
            r.ImageName.MaximumLength = static_cast<USHORT>(r.ImageName.Length + sizeof(wchar_t));
        }
        r.BasePriority = 8;
        r.UniqueProcessId = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(p.pid));
        r.SessionId = p.session;
        r.PagefileUsage = 0x12345;
        std::memcpy(at, &r, sizeof r);
    }
    if (returned)
        *returned = static_cast<ULONG>(static_cast<long>(total) + returnedLie);
    return kStatusSuccess;
}

LONG FakeNt::pathById(void* buffer, ULONG length)
{
    if (length != sizeof(FakeProcessId))
        return kStatusInfoLengthMismatch;
    FakeProcessId info;
    std::memcpy(&info, buffer, sizeof info);
    const auto pid = static_cast<std::int64_t>(reinterpret_cast<ULONG_PTR>(info.ProcessId));
    ++m_asked[{kSystemProcessIdInformation, pid}];
    if (!pathsById)
        return kStatusInvalidInfoClass;
    const FakeProcess* p = process(pid);
    if (!p || (p->ntPath.empty() && p->pathStatus == kStatusSuccess))
        return kStatusInvalidCid;
    if (p->pathStatus != kStatusSuccess)
        return p->pathStatus;
    // Too little room: the room needed, the NUL included, and nothing else.
    const std::size_t needed = (p->ntPath.size() + 1) * sizeof(wchar_t);
    if (info.ImageName.MaximumLength < needed || p->pathRoomLie) {
        info.ImageName.MaximumLength = static_cast<USHORT>(p->pathRoomLie ? p->pathRoomLie : needed);
        std::memcpy(buffer, &info, sizeof info);
        return kStatusInfoLengthMismatch;
    }
    std::memcpy(const_cast<wchar_t*>(info.ImageName.Buffer), p->ntPath.c_str(), needed);
    info.ImageName.Length =
        p->pathLengthLie ? p->pathLengthLie : static_cast<USHORT>(p->ntPath.size() * sizeof(wchar_t));
    std::memcpy(buffer, &info, sizeof info);
    return kStatusSuccess;
}

LONG WINAPI FakeNt::queryProcess(HANDLE process, ULONG infoClass, void* buffer, ULONG length, ULONG* returned)
{
    FakeNt& fake = *s_current;
    const FakeProcess* p = fake.byHandle(process);
    if (!p)
        return kStatusInvalidHandle;
    ++fake.m_asked[{infoClass, p->pid}];
    if (infoClass != kProcessCommandLineInformation || !fake.commandLineQuery)
        return kStatusInvalidInfoClass;
    if (p->commandLineStatus != kStatusSuccess)
        return p->commandLineStatus;
    return fake.commandLine(*p, static_cast<std::byte*>(buffer), length, returned);
}

LONG FakeNt::commandLine(const FakeProcess& p, std::byte* buffer, ULONG length, ULONG* returned)
{
    // The descriptor, then the text and its NUL right after it.
    const std::size_t text = p.commandLine.size() * sizeof(wchar_t);
    const std::size_t needed = sizeof(FakeString) + text + sizeof(wchar_t);
    if (length < needed || p.commandLineRoomLie) {
        if (returned)
            *returned = p.commandLineRoomLie ? p.commandLineRoomLie : static_cast<ULONG>(needed);
        return kStatusInfoLengthMismatch;
    }
    std::memcpy(buffer + sizeof(FakeString), p.commandLine.c_str(), text + sizeof(wchar_t));
    FakeString s{};
    s.Length = p.commandLineLengthLie ? p.commandLineLengthLie : static_cast<USHORT>(text);
    s.MaximumLength = static_cast<USHORT>(std::min<std::size_t>(text + sizeof(wchar_t), 0xFFFF));
    s.Buffer = p.commandLineElsewhere ? m_elsewhere.c_str()
                                      : reinterpret_cast<const wchar_t*>(buffer + sizeof(FakeString));
    std::memcpy(buffer, &s, sizeof s);
    if (returned)
        *returned = static_cast<ULONG>(needed);
    return kStatusSuccess;
}

HANDLE FakeNt::open(DWORD, DWORD pid)
{
    FakeNt& fake = *s_current;
    const FakeProcess* p = fake.process(pid);
    if (!p || !p->opens) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const auto h = reinterpret_cast<HANDLE>(fake.m_nextHandle);
    fake.m_nextHandle += 4;
    fake.m_open[h] = pid;
    return h;
}

void FakeNt::close(HANDLE process)
{
    FakeNt& fake = *s_current;
    if (fake.m_open.erase(process) == 0)
        ++fake.m_badCloses;
}

BOOL FakeNt::imagePath(HANDLE process, wchar_t* path, DWORD* length)
{
    const FakeProcess* p = s_current->byHandle(process);
    if (!p || p->dosPath.empty() || *length <= p->dosPath.size())
        return FALSE;
    std::memcpy(path, p->dosPath.c_str(), (p->dosPath.size() + 1) * sizeof(wchar_t));
    *length = static_cast<DWORD>(p->dosPath.size());
    return TRUE;
}

BOOL FakeNt::readMemory(HANDLE, const void*, void*, SIZE_T, SIZE_T* got)
{
    // Other processes' memory is not imitated: the systems that answer
    // for command lines in one call are the ones imitated here.
    if (got)
        *got = 0;
    return FALSE;
}

} // namespace zerva::test
