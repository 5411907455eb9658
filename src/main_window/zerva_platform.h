#pragma once

#include "platform/banner/banner.h"
#include "platform/os/exec_watch.h"
#include "platform/os/lock_place.h"
#include "platform/os/process_source.h"
#include "platform/os/shell.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zerva {

// The platform pieces the main window works with. main() hands it the real
// ones; tests hand it fakes.
struct ZervaPlatform {
    // Shared with the rows, which read command lines when they are shown.
    std::shared_ptr<ProcessSource> processes;
    int refreshIntervalMs = 500;
    // Starts the programs of the links menu; none: links do nothing.
    std::unique_ptr<Shell> shell;
    // Makes the banner control; none: no banner.
    BannerFactory banner;
    // Pace of the About window's typewriter: one pass per frame.
    int aboutFrameMs = 16;
    // Asks the user for a line of text with this prompt, the field holding
    // `text` at first; empty on Cancel.
    std::function<QString(const QString& prompt, const QString& text)> inputBox;
    // Shows a short message and waits for OK; none: nothing is shown.
    std::function<void(const QString& text)> messageBox;
    // Asks a yes-or-no question ("Evet"/"Hayir"); true for "Evet". None:
    // every question is answered "Hayir".
    std::function<bool(const QString& text)> questionBox;
    // The programs the system lists as shells (ListedShells); none: no list.
    std::function<std::vector<std::string>()> listedShells;
    // Where an add's lock is taken and what is wrong there (LockPlaces),
    // for a refused add to tell; none: it is not told.
    std::function<std::vector<LockPlace>()> lockPlaces;
    // How often a waiting add tries the lock again, the window refreshing in
    // between, and how long it tries (TrustedFile::kLockWait).
    int addRetryMs = 50;
    int addWaitMs = 5000;
    // Every exec as it happens, for "Son Calisanlar"; none: nothing is
    // recorded, and the window says so.
    std::shared_ptr<ExecWatch> execWatch;
};

// The real pieces of the platform the program runs on.
ZervaPlatform MakeSystemPlatform();

} // namespace zerva
