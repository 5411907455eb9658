#include "platform/os/windows/wmi_process_source.h"

#include "platform/os/windows/wmi_variant.h"

#include <windows.h>
#include <objbase.h>
#include <wbemidl.h>

#include <utility>

namespace zerva {

namespace {

// Owns one COM interface pointer.
template <typename T>
class Com {
public:
    Com() = default;
    ~Com() { if (m_p) m_p->Release(); }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }
    T** out() { return &m_p; }
    void** outVoid() { return reinterpret_cast<void**>(&m_p); }
private:
    T* m_p = nullptr;
};

class Bstr {
public:
    explicit Bstr(const wchar_t* text) : m_s(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(m_s); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return m_s; }
private:
    BSTR m_s;
};

class Variant {
public:
    Variant() { VariantInit(&m_v); }
    ~Variant() { VariantClear(&m_v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* out() { return &m_v; }
    const VARIANT& get() const { return m_v; }
private:
    VARIANT m_v;
};

// COM for the calling thread for as long as a snapshot runs. A thread that
// already uses COM in the other threading model (RPC_E_CHANGED_MODE) can
// still make the calls; only our own successful initialisation is undone.
class ComApartment {
public:
    ComApartment() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() { if (SUCCEEDED(m_hr)) CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool usable() const { return SUCCEEDED(m_hr) || m_hr == RPC_E_CHANGED_MODE; }
private:
    HRESULT m_hr;
};

// Calls through `proxy` impersonate us, as the service needs to see which
// processes we may look at. In-process objects have no proxy to set: their
// failure here changes nothing.
void impersonate(IUnknown* proxy)
{
    CoSetProxyBlanket(proxy, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
}

// A property that is missing or cannot be read is null, like VT_NULL.
std::optional<std::string> textOf(IWbemClassObject* object, const wchar_t* name)
{
    Variant value;
    if (FAILED(object->Get(name, 0, value.out(), nullptr, nullptr)))
        return std::nullopt;
    return VariantText(value.get());
}

std::optional<std::int64_t> numberOf(IWbemClassObject* object, const wchar_t* name)
{
    Variant value;
    CIMTYPE type = CIM_EMPTY;
    if (FAILED(object->Get(name, 0, value.out(), &type, nullptr)))
        return std::nullopt;
    return VariantNumber(value.get(), type);
}

ProcessInfo readProcess(IWbemClassObject* object, std::int64_t ownSession)
{
    ProcessInfo info;
    info.pid = numberOf(object, L"ProcessId").value_or(0);
    info.caption = textOf(object, L"Caption");
    bool unshowable = false;
    {
        Variant path;
        if (SUCCEEDED(object->Get(L"executablepath", 0, path.out(), nullptr, nullptr)))
            info.executablePath = VariantPath(path.get(), unshowable);
    }
    info.priority = numberOf(object, L"Priority");
    info.commandLine = textOf(object, L"CommandLine");
    // Reported in kilobytes; the contract is bytes on every platform.
    if (const auto kb = numberOf(object, L"PageFileUsage"))
        info.pageFileUsage = *kb * 1024;
    info.threadCount = numberOf(object, L"ThreadCount");
    info.name = textOf(object, L"Name");
    info.description = textOf(object, L"Description");
    // A program in the user's own session whose path is withheld is listed
    // (as on Linux a process of the user's own that hides its program);
    // the idle and system pseudo-processes run no program file. So is, in
    // any session, one whose path cannot be shown as the system spells it.
    info.pathSuspect = unshowable
        || (!info.executablePath && info.pid != 0 && info.pid != 4 && numberOf(object, L"SessionId") == ownSession);
    return info;
}

} // namespace

WmiProcessSource::WmiProcessSource(std::wstring nameSpace)
    : m_nameSpace(std::move(nameSpace))
{
    enableDebugPrivilege();
}

bool WmiProcessSource::enableDebugPrivilege()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool enabled = false;
    if (LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid)) {
        // Succeeds also when the privilege is not held; only the last
        // error tells.
        enabled = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr)
            && GetLastError() == ERROR_SUCCESS;
    }
    CloseHandle(token);
    return enabled;
}

bool WmiProcessSource::snapshot(std::vector<ProcessInfo>& out)
{
    out.clear();
    // Declared first so that it ends after every interface below is released.
    ComApartment apartment;
    if (!apartment.usable())
        return false;

    Com<IWbemLocator> locator;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                locator.outVoid())))
        return false;
    Com<IWbemServices> services;
    const Bstr nameSpace(m_nameSpace.c_str());
    // A service that does not answer costs at most two minutes, not forever.
    if (FAILED(locator->ConnectServer(nameSpace.get(), nullptr, nullptr, nullptr, WBEM_FLAG_CONNECT_USE_MAX_WAIT,
                                      nullptr, nullptr, services.out())))
        return false;
    impersonate(services.get());

    Com<IEnumWbemClassObject> processes;
    const Bstr language(L"WQL");
    const Bstr query(L"Select * from Win32_Process");
    if (FAILED(services->ExecQuery(language.get(), query.get(),
                                   WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                   processes.out())))
        return false;
    impersonate(processes.get());

    DWORD ownSession = 0;
    if (!ProcessIdToSessionId(GetCurrentProcessId(), &ownSession))
        ownSession = 0xFFFFFFFF;   // matches no process: the design's rule stays
    for (;;) {
        Com<IWbemClassObject> object;
        ULONG returned = 0;
        const HRESULT hr = processes->Next(static_cast<LONG>(WBEM_INFINITE), 1, object.out(), &returned);
        if (FAILED(hr))
            // A query refused late (it returns at once) ends up here before
            // any object; a failure later keeps what was read.
            return !out.empty();
        if (hr != WBEM_S_NO_ERROR || returned == 0)
            break;
        out.push_back(readProcess(object.get(), ownSession));
    }
    return true;
}

} // namespace zerva
