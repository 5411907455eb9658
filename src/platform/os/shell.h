#pragma once

// Starting another program from a command line, as the links menu does.
// Plain C++ so that the Windows implementation builds and is tested without
// Qt.

#include <memory>
#include <string>

namespace zerva {

class Shell {
public:
    // Window styles of the started program's main window.
    enum WindowStyle { Hide = 0, NormalFocus = 1, MinimizedFocus = 2, MaximizedFocus = 3 };

    virtual ~Shell() = default;

    // Starts `commandLine` and returns at once, without waiting for the
    // program. False when it could not be started.
    virtual bool start(const std::string& commandLine, int windowStyle) = 0;
};

// The shell of the platform the program was built for.
std::unique_ptr<Shell> MakeSystemShell();

} // namespace zerva
