#include "self_check.h"

#include "platform/os/system_process_source.h"
#include "platform/os/windows/nt_dll.h"
#include "platform/os/windows/nt_process_source.h"
#include "platform/os/windows/win_code_page.h"
#include "platform/os/windows/wmi_process_source.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace zerva::test {

namespace {

// The answers of each call, by call, information class (or access asked
// for) and status (or error code).
std::map<std::tuple<std::string, unsigned long>, std::map<unsigned long, int>> g_answers;

void record(const char* call, unsigned long what, unsigned long status)
{
    ++g_answers[{call, what}][status];
}

// The system's calls, each answer counted on its way through.
NtDll recordingCalls()
{
    NtDll calls;
    if (NtDll::get().querySystemInformation)
        calls.querySystemInformation = [](ULONG infoClass, void* buffer, ULONG length, ULONG* returned) -> LONG {
            const LONG status = NtDll::get().querySystemInformation(infoClass, buffer, length, returned);
            record("NtQuerySystemInformation", infoClass, static_cast<unsigned long>(status));
            return status;
        };
    if (NtDll::get().queryInformationProcess)
        calls.queryInformationProcess = [](HANDLE process, ULONG infoClass, void* buffer, ULONG length,
                                           ULONG* returned) -> LONG {
            const LONG status = NtDll::get().queryInformationProcess(process, infoClass, buffer, length, returned);
            record("NtQueryInformationProcess", infoClass, static_cast<unsigned long>(status));
            return status;
        };
    calls.openProcess = [](DWORD access, DWORD pid) {
        const HANDLE h = NtDll::get().openProcess(access, pid);
        record("OpenProcess", access, h ? 0 : GetLastError());
        return h;
    };
    calls.closeProcess = [](HANDLE process) { NtDll::get().closeProcess(process); };
    calls.imagePath = [](HANDLE process, wchar_t* path, DWORD* length) {
        const BOOL ok = NtDll::get().imagePath(process, path, length);
        record("QueryFullProcessImageNameW", 0, ok ? 0 : GetLastError());
        return ok;
    };
    calls.readMemory = [](HANDLE process, const void* at, void* into, SIZE_T size, SIZE_T* got) {
        const BOOL ok = NtDll::get().readMemory(process, at, into, size, got);
        record("ReadProcessMemory", 0, ok ? 0 : GetLastError());
        return ok;
    };
    return calls;
}

std::string whatName(const std::string& call, unsigned long what)
{
    if (call == "NtQuerySystemInformation")
        return what == 5 ? "SystemProcessInformation" : what == 88 ? "SystemProcessIdInformation" : std::to_string(what);
    if (call == "NtQueryInformationProcess")
        return what == 0 ? "ProcessBasicInformation"
            : what == 60 ? "ProcessCommandLineInformation" : std::to_string(what);
    if (call == "OpenProcess") {
        char text[32];
        std::snprintf(text, sizeof text, "access 0x%lx", what);
        return text;
    }
    return "";
}

std::string statusName(const std::string& call, unsigned long status)
{
    char text[64];
    if (call.rfind("Nt", 0) == 0) {
        const char* name = status == 0 ? "STATUS_SUCCESS"
            : status == 0xC0000002 ? "STATUS_NOT_IMPLEMENTED"
            : status == 0xC0000003 ? "STATUS_INVALID_INFO_CLASS"
            : status == 0xC0000004 ? "STATUS_INFO_LENGTH_MISMATCH"
            : status == 0xC0000008 ? "STATUS_INVALID_HANDLE"
            : status == 0xC000000B ? "STATUS_INVALID_CID"
            : status == 0xC0000022 ? "STATUS_ACCESS_DENIED"
            : status == 0xC0000023 ? "STATUS_BUFFER_TOO_SMALL"
            : status == 0x80000005 ? "STATUS_BUFFER_OVERFLOW" : "";
        std::snprintf(text, sizeof text, "0x%08lX %s", status, name);
    } else {
        std::snprintf(text, sizeof text, status == 0 ? "succeeded" : "error %lu", status);
    }
    return text;
}

std::string windowsVersion()
{
    struct VersionInfo {
        ULONG size, major, minor, build, platform;
        wchar_t servicePack[128];
    } info{};
    info.size = sizeof info;
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    using GetVersion = LONG(WINAPI*)(VersionInfo*);
    using WineVersion = const char*(__cdecl*)();
    std::string text = "unknown";
    if (const auto get = reinterpret_cast<GetVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
        get && get(&info) == 0)
        text = std::to_string(info.major) + "." + std::to_string(info.minor) + " build " + std::to_string(info.build);
    if (const auto wine = reinterpret_cast<WineVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version"))))
        text += std::string(" (Wine ") + wine() + ")";
    return text;
}

bool elevated()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool yes = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size)
        && elevation.TokenIsElevated;
    CloseHandle(token);
    return yes;
}

std::string utf8(const std::wstring& w)
{
    return Utf16ToUtf8Lenient(w.c_str(), w.size());
}

struct Counts {
    std::size_t processes = 0, paths = 0, commandLines = 0, suspect = 0;
    const ProcessInfo* self = nullptr;
};

Counts count(const std::vector<ProcessInfo>& ps)
{
    Counts c;
    c.processes = ps.size();
    for (const ProcessInfo& p : ps) {
        c.paths += p.executablePath ? 1 : 0;
        c.commandLines += p.commandLine ? 1 : 0;
        c.suspect += p.pathSuspect ? 1 : 0;
        if (p.pid == static_cast<std::int64_t>(GetCurrentProcessId()))
            c.self = &p;
    }
    return c;
}

double msSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace

int SelfCheck()
{
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    std::printf("Zerva self-check: the process list's system calls on this machine\n");
    std::printf("system:        Windows %s, ANSI code page %u\n", windowsVersion().c_str(), GetACP());
    std::printf("this program:  session %lu, elevated %s, debug privilege %s\n", static_cast<unsigned long>(session),
                elevated() ? "yes" : "no", WmiProcessSource::enableDebugPrivilege() ? "yes" : "no");
    const auto chosen = MakeSystemProcessSource();
    std::printf("source taken:  %s\n", dynamic_cast<NtProcessSource*>(chosen.get())
                    ? "native (NtQuerySystemInformation)"
                    : "management service (WMI), the native calls are missing");

    static const NtDll calls = recordingCalls();
    NtProcessSource native(calls);
    std::vector<ProcessInfo> ps;
    auto t0 = std::chrono::steady_clock::now();
    const bool listed = native.snapshot(ps);
    const double firstMs = msSince(t0);
    const Counts n = count(ps);
    std::printf("native source: %s, %zu processes in %.1f ms: %zu with a path, %zu with a command line, %zu with "
                "a withheld path listed\n",
                listed ? "listed" : "FAILED", n.processes, firstMs, n.paths, n.commandLines, n.suspect);
    std::printf("  path by process id (SystemProcessIdInformation): %s\n",
                native.pathsById() ? "used" : "not offered; paths through QueryFullProcessImageNameW");
    std::printf("  command line in one call (ProcessCommandLineInformation): %s\n",
                native.commandLinesByQuery() ? "used" : "not offered; read from each process's memory");
    std::printf("  calls made in the first refresh:\n");
    for (const auto& [key, statuses] : g_answers) {
        const auto& [call, what] = key;
        for (const auto& [status, times] : statuses)
            std::printf("    %-27s %-30s %-40s x%d\n", call.c_str(), whatName(call, what).c_str(),
                        statusName(call, status).c_str(), times);
    }

    wchar_t own[32768];
    const std::wstring ownPath(own, GetModuleFileNameW(nullptr, own, 32768));
    const bool pathRight = n.self && n.self->executablePath == utf8(ownPath);
    const bool commandLineRight = n.self && n.self->commandLine == utf8(GetCommandLineW());
    std::printf("  this program's row: path %s, command line %s\n", pathRight ? "right" : "WRONG",
                commandLineRight ? "right" : "WRONG");
    if (n.self && !pathRight)
        std::printf("    path given: %s\n", n.self->executablePath ? n.self->executablePath->c_str() : "none");

    t0 = std::chrono::steady_clock::now();
    native.snapshot(ps);
    std::printf("  second refresh: %.1f ms\n", msSince(t0));

    t0 = std::chrono::steady_clock::now();
    std::vector<ProcessInfo> service;
    const bool serviceListed = WmiProcessSource().snapshot(service);
    const Counts w = count(service);
    std::printf("management service: %s, %zu processes in %.1f ms: %zu with a path, %zu with a command line\n",
                serviceListed ? "listed" : "FAILED", w.processes, msSince(t0), w.paths, w.commandLines);
    std::printf("result: %s\n", listed && pathRight && commandLineRight ? "OK" : "PROBLEM (please send this text)");
    return listed && pathRight && commandLineRight ? 0 : 1;
}

} // namespace zerva::test
