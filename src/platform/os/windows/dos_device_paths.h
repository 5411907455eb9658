#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zerva {

// Turns the kernel's names of files (\Device\HarddiskVolume3\Windows\x.exe)
// into the paths users see and write into kvr.conf (C:\Windows\x.exe), as
// the management service reports them. The drive letters are read once, at
// the first path that needs them, so one object serves one refresh: a drive
// mounted later is seen at the next.
class DosDevicePaths {
public:
    // nullopt for a name that lies on no drive letter nor network share.
    std::optional<std::wstring> toDosPath(std::wstring_view ntPath);

private:
    void load();

    bool m_loaded = false;
    std::vector<std::pair<std::wstring, std::wstring>> m_drives;   // device, "C:"
};

} // namespace zerva
