#pragma once

#include <windows.h>

namespace zerva {

// The system calls the native process list makes, as one table of
// functions: the system's own (get()), or a test's stand-ins that answer as
// a given Windows version does. The two native calls of ntdll.dll are
// looked up by name at run time: the import libraries and headers of every
// tool chain do not declare them, and a system may lack one. A null pointer
// is a call this system does not offer.
struct NtDll {
    using Status = LONG;
    using QuerySystemInformation = Status(WINAPI*)(ULONG infoClass, void* buffer, ULONG length, ULONG* returned);
    using QueryInformationProcess = Status(WINAPI*)(HANDLE process, ULONG infoClass, void* buffer, ULONG length,
                                                   ULONG* returned);
    // OpenProcess, CloseHandle, QueryFullProcessImageNameW and
    // ReadProcessMemory, reduced to what the process list passes them.
    using OpenProcess = HANDLE (*)(DWORD access, DWORD pid);
    using CloseProcess = void (*)(HANDLE process);
    using ImagePath = BOOL (*)(HANDLE process, wchar_t* path, DWORD* length);
    using ReadMemory = BOOL (*)(HANDLE process, const void* at, void* into, SIZE_T size, SIZE_T* got);

    // The system's calls, looked up once, on first use.
    static const NtDll& get();

    QuerySystemInformation querySystemInformation = nullptr;
    QueryInformationProcess queryInformationProcess = nullptr;
    OpenProcess openProcess = nullptr;
    CloseProcess closeProcess = nullptr;
    ImagePath imagePath = nullptr;
    ReadMemory readMemory = nullptr;
};

} // namespace zerva
