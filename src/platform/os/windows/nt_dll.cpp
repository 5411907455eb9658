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

} // namespace

NtDll::NtDll()
{
    // ntdll.dll is mapped into every process; no reference is taken.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    querySystemInformation = lookUp<QuerySystemInformation>(ntdll, "NtQuerySystemInformation");
    queryInformationProcess = lookUp<QueryInformationProcess>(ntdll, "NtQueryInformationProcess");
}

const NtDll& NtDll::get()
{
    static const NtDll dll;
    return dll;
}

} // namespace zerva
