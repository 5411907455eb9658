#pragma once

// Stand-ins for the system calls of the native process list, answering as
// Windows 10 and 11 do, so that the paths Wine never takes (the program's
// path by process id, the command line in one call) are tested under Wine
// too: the length protocols, kernel names of files, names with surrogates,
// refusals, and answers whose lengths and offsets lie. Plain C++.

#include "platform/os/windows/nt_dll.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zerva::test {

// The system's status codes the stand-ins answer with.
constexpr LONG kStatusSuccess = 0;
constexpr LONG kStatusInvalidInfoClass = static_cast<LONG>(0xC0000003L);
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004L);
constexpr LONG kStatusInvalidCid = static_cast<LONG>(0xC000000BL);
constexpr LONG kStatusAccessDenied = static_cast<LONG>(0xC0000022L);

// One process as the stand-ins describe it.
struct FakeProcess {
    std::int64_t pid = 0;
    ULONG session = 1;
    ULONG threads = 1;
    // The image name of its record in the list; empty: none (Length 0, no
    // buffer), as for the idle process.
    std::wstring image{};
    // The kernel's name of its program, given by process id; empty with a
    // status of 0: refused as an unknown id.
    std::wstring ntPath{};
    LONG pathStatus = kStatusSuccess;
    // Its path through a handle (QueryFullProcessImageNameW); empty: refused.
    std::wstring dosPath{};
    // Whether it may be opened for limited queries; a protected process of
    // another account may not.
    bool opens = true;
    // Its command line, given in one call unless commandLineStatus says no.
    std::wstring commandLine{};
    LONG commandLineStatus = kStatusSuccess;

    // Answers that lie: each replaces what the system would say.
    long imageLengthLie = 0;            // added to the record's name length
    bool imageElsewhere = false;        // the name's address lies outside the list
    USHORT pathLengthLie = 0;           // the by-id name's length
    ULONG pathRoomLie = 0;              // the room the by-id name needs, whatever room it had
    USHORT commandLineLengthLie = 0;    // the command line's length
    bool commandLineElsewhere = false;  // its address lies outside the buffer
    ULONG commandLineRoomLie = 0;       // the room it needs, whatever room it had
};

// The stand-ins, over one list of processes. One at a time: its calls()
// answer from the most recently made FakeNt that still exists.
class FakeNt {
public:
    explicit FakeNt(std::vector<FakeProcess> processes);
    ~FakeNt();
    FakeNt(const FakeNt&) = delete;
    FakeNt& operator=(const FakeNt&) = delete;

    // The table to hand to NtProcessSource.
    const NtDll& calls() const { return m_calls; }

    // How the list is laid out and answered.
    std::size_t padding = 3;     // bytes after each record's name: records at odd offsets
    long returnedLie = 0;        // added to the length the list call says it wrote
    long lastOffsetLie = 0;      // the last record's NextEntryOffset, when not 0
    bool pathsById = true;       // false: SystemProcessIdInformation is unknown (as in Wine)
    bool commandLineQuery = true;   // false: ProcessCommandLineInformation is unknown

    // What was asked: calls by information class and process id; process
    // handles still open, and handles closed that were not open.
    int asked(ULONG infoClass, std::int64_t pid) const;
    int badCloses() const { return m_badCloses; }
    int listCalls() const { return m_listCalls; }
    int openHandles() const { return static_cast<int>(m_open.size()); }
    const FakeProcess* process(std::int64_t pid) const;

private:
    static FakeNt* s_current;
    static LONG WINAPI querySystem(ULONG infoClass, void* buffer, ULONG length, ULONG* returned);
    static LONG WINAPI queryProcess(HANDLE process, ULONG infoClass, void* buffer, ULONG length, ULONG* returned);
    static HANDLE open(DWORD access, DWORD pid);
    static void close(HANDLE process);
    static BOOL imagePath(HANDLE process, wchar_t* path, DWORD* length);
    static BOOL readMemory(HANDLE process, const void* at, void* into, SIZE_T size, SIZE_T* got);

    LONG list(std::byte* buffer, ULONG length, ULONG* returned);
    LONG pathById(void* buffer, ULONG length);
    LONG commandLine(const FakeProcess& p, std::byte* buffer, ULONG length, ULONG* returned);
    const FakeProcess* byHandle(HANDLE process) const;

    std::vector<FakeProcess> m_processes;
    NtDll m_calls;
    FakeNt* m_previous;
    std::map<std::pair<ULONG, std::int64_t>, int> m_asked;
    std::map<HANDLE, std::int64_t> m_open;
    std::uintptr_t m_nextHandle = 0x1000;
    int m_listCalls = 0;
    int m_badCloses = 0;
    const std::wstring m_elsewhere = L"\\Device\\Elsewhere\\not-in-the-buffer.exe";
};

} // namespace zerva::test
