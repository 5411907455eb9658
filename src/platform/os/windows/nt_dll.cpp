#include "platform/os/windows/nt_dll.h"

namespace zerva {

namespace {

template <typename F>
F lookUp(HMODULE module, const char* name)
{
    if (!module)
        return nullptr;
    // GetProcAddress gives a generic pointer; the signature is ntdll's.
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

NtDll systemCalls()
{
    NtDll calls;
    // ntdll.dll is mapped into every process; no reference is taken.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    calls.querySystemInformation = lookUp<NtDll::QuerySystemInformation>(ntdll, "NtQuerySystemInformation");
    calls.queryInformationProcess = lookUp<NtDll::QueryInformationProcess>(ntdll, "NtQueryInformationProcess");
    calls.openProcess = [](DWORD access, DWORD pid) { return ::OpenProcess(access, FALSE, pid); };
    calls.closeProcess = [](HANDLE process) { CloseHandle(process); };
    calls.imagePath = [](HANDLE process, wchar_t* path, DWORD* length) {
        return QueryFullProcessImageNameW(process, 0, path, length);
    };
    calls.readMemory = [](HANDLE process, const void* at, void* into, SIZE_T size, SIZE_T* got) {
        return ReadProcessMemory(process, at, into, size, got);
    };
    return calls;
}

} // namespace

const NtDll& NtDll::get()
{
    static const NtDll calls = systemCalls();
    return calls;
}

} // namespace zerva
