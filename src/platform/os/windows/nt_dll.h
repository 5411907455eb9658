#pragma once

#include <windows.h>

namespace zerva {

// The few native calls of ntdll.dll that the process list uses, looked up
// by name at run time: the import libraries and headers of every tool chain
// do not declare them, and a system may lack one. A null pointer is a call
// this system does not offer.
class NtDll {
public:
    using Status = LONG;
    using QuerySystemInformation = Status(WINAPI*)(ULONG infoClass, void* buffer, ULONG length, ULONG* returned);
    using QueryInformationProcess = Status(WINAPI*)(HANDLE process, ULONG infoClass, void* buffer, ULONG length,
                                                   ULONG* returned);

    // Looked up once, on first use.
    static const NtDll& get();

    QuerySystemInformation querySystemInformation = nullptr;
    QueryInformationProcess queryInformationProcess = nullptr;

private:
    NtDll();
};

} // namespace zerva
