#include "platform/banner/webengine/chromium_start.h"

#include <QCoreApplication>

namespace zerva {

bool ChromiumCanStart(bool asRoot, const QString& chromiumFlags, bool sandboxDisabled,
                      const QStringList& arguments)
{
    if (!asRoot || sandboxDisabled)
        return true;
    const QString noSandbox = QStringLiteral("--no-sandbox");
    return chromiumFlags.split(QLatin1Char(' '), Qt::SkipEmptyParts).contains(noSandbox)
        || arguments.contains(noSandbox);
}

bool ChromiumCanStartHere()
{
    return ChromiumCanStart(RunningAsRoot(), qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS"),
                            qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"),
                            QCoreApplication::arguments());
}

} // namespace zerva
