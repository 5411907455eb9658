#pragma once

#include "platform/os/shell.h"

namespace zerva {

// Starts programs through CreateProcess, as the runtime's Shell does:
// the command line as given, the window style as the started program's
// first ShowWindow, no waiting and no handles kept.
class WinShell : public Shell {
public:
    bool start(const std::string& commandLine, int windowStyle) override;
};

} // namespace zerva
