#include "platform/banner/shell_link.h"

#include "platform/os/shell.h"
#include "platform/controls/trap.h"

#include <QUrl>

namespace zerva {

bool OpenWebLink(Shell* shell, const QUrl& url)
{
    if (!shell || !url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return false;
    // Fully encoded: no blank or quote of the address can split the command
    // line.
    const std::string commandLine = "explorer " + url.toString(QUrl::FullyEncoded).toStdString();
    bool started = false;
    Trap([&] { started = shell->start(commandLine, Shell::MinimizedFocus); });
    return started;
}

} // namespace zerva
