#include "platform/os/windows/win_shell.h"

#include "platform/os/windows/win_code_page.h"

#include <windows.h>

#include <string>

namespace zerva {

namespace {

// The ShowWindow command for each of our window styles; -1 for a style we
// do not know.
int showCommand(int windowStyle)
{
    switch (windowStyle) {
    case Shell::Hide: return SW_HIDE;
    case Shell::NormalFocus: return SW_SHOWNORMAL;
    case Shell::MinimizedFocus: return SW_SHOWMINIMIZED;
    case Shell::MaximizedFocus: return SW_SHOWMAXIMIZED;
    default: return -1;
    }
}

} // namespace

bool WinShell::start(const std::string& commandLine, int windowStyle)
{
    const int show = showCommand(windowStyle);
    std::wstring line;
    if (show < 0 || !Utf8ToUtf16Strict(commandLine, line) || line.empty())
        return false;

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION started{};
    // CreateProcessW may write into the command line: `line` is our copy.
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return false;
    // The program runs on by itself; we keep no trace of it.
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

std::unique_ptr<Shell> MakeSystemShell()
{
    return std::make_unique<WinShell>();
}

} // namespace zerva
