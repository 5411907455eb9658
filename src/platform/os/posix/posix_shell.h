#pragma once

#include "platform/os/shell.h"

#include <functional>

class QUrl;

namespace zerva {

// Starting programs on Linux and other Unix desktops. There is no
// "explorer" here: its command lines hand their address to the desktop's
// default way of opening web addresses. Window styles have no counterpart
// on these desktops and are left to the browser.
class PosixShell : public Shell {
public:
    using UrlOpener = std::function<bool(const QUrl&)>;

    // `openUrl` defaults to the desktop's own (QDesktopServices::openUrl).
    explicit PosixShell(UrlOpener openUrl = {});

    bool start(const std::string& commandLine, int windowStyle) override;

private:
    UrlOpener m_openUrl;
};

} // namespace zerva
