#include "platform/os/windows/dos_device_paths.h"

#include <windows.h>

namespace zerva {

namespace {

bool startsWith(std::wstring_view text, std::wstring_view prefix)
{
    // Object names are compared without case, as the object manager does.
    return text.size() >= prefix.size()
        && CompareStringOrdinal(text.data(), static_cast<int>(prefix.size()), prefix.data(),
                                static_cast<int>(prefix.size()), TRUE)
        == CSTR_EQUAL;
}

} // namespace

void DosDevicePaths::load()
{
    m_loaded = true;
    const DWORD drives = GetLogicalDrives();
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        if (!(drives & (1u << (letter - L'A'))))
            continue;
        const wchar_t drive[3] = {letter, L':', L'\0'};
        wchar_t target[1024];
        // The first of the names the drive letter stands for.
        if (QueryDosDeviceW(drive, target, 1024) > 0 && target[0] != L'\0')
            m_drives.emplace_back(target, drive);
    }
}

std::optional<std::wstring> DosDevicePaths::toDosPath(std::wstring_view ntPath)
{
    // Already in the form of a drive path: \??\C:\x.exe.
    if (startsWith(ntPath, L"\\??\\") && ntPath.size() >= 6 && ntPath[5] == L':')
        return std::wstring(ntPath.substr(4));
    if (startsWith(ntPath, L"\\Device\\Mup\\"))
        return L"\\" + std::wstring(ntPath.substr(11));
    if (!m_loaded)
        load();
    for (const auto& [device, drive] : m_drives) {
        // \Device\HarddiskVolume1 is not the start of \Device\HarddiskVolume10\.
        if (startsWith(ntPath, device) && ntPath.size() > device.size() && ntPath[device.size()] == L'\\')
            return drive + std::wstring(ntPath.substr(device.size()));
    }
    return std::nullopt;
}

} // namespace zerva
