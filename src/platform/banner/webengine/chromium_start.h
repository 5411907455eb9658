#pragma once

#include <QStringList>

namespace zerva {

// Chromium ends the whole process when it runs as root inside its sandbox,
// which would take Zerva with it. This tells beforehand whether it can
// start: not as root unless the sandbox has been switched off (the
// --no-sandbox flag on the command line or in QTWEBENGINE_CHROMIUM_FLAGS, or
// QTWEBENGINE_DISABLE_SANDBOX set).
bool ChromiumCanStart(bool asRoot, const QString& chromiumFlags, bool sandboxDisabled,
                      const QStringList& arguments);

// The same for this process, its environment and its command line.
bool ChromiumCanStartHere();

// Whether this process runs with the rights of the superuser.
bool RunningAsRoot();

} // namespace zerva
