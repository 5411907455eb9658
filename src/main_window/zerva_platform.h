#pragma once

#include "platform/process_source.h"

#include <QString>

#include <functional>
#include <memory>

namespace zerva {

// The platform pieces the main window works with. main() hands it the real
// ones; tests hand it fakes.
struct ZervaPlatform {
    std::unique_ptr<ProcessSource> processes;
    int refreshIntervalMs = 500;
    // Asks the user for a line of text with this prompt; empty on Cancel.
    std::function<QString(const QString& prompt)> inputBox;
};

// The real pieces of the platform the program runs on.
ZervaPlatform MakeSystemPlatform();

} // namespace zerva
