#include "platform/os/posix/posix_shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QString>
#include <QUrl>

namespace zerva {

namespace {

constexpr std::string_view kExplorer = "explorer ";

} // namespace

PosixShell::PosixShell(UrlOpener openUrl) : m_openUrl(std::move(openUrl))
{
    if (!m_openUrl)
        m_openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

bool PosixShell::start(const std::string& commandLine, int /*windowStyle*/)
{
    if (commandLine.starts_with(kExplorer)) {
        const QUrl url(QString::fromStdString(commandLine.substr(kExplorer.size())), QUrl::StrictMode);
        return url.isValid() && !url.isRelative() && m_openUrl(url);
    }
    // Any other command line starts its program directly, without a shell
    // in between, so that nothing in it is interpreted.
    QStringList args = QProcess::splitCommand(QString::fromStdString(commandLine));
    if (args.isEmpty())
        return false;
    const QString program = args.takeFirst();
    return QProcess::startDetached(program, args);
}

std::unique_ptr<Shell> MakeSystemShell()
{
    return std::make_unique<PosixShell>();
}

} // namespace zerva
