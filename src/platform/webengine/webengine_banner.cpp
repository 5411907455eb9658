#include "platform/webengine/webengine_banner.h"

#include "platform/shell_link.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWindow>

namespace zerva {

WebEngineBanner::WebEngineBanner(QWidget* parent, Shell* shell) : QWebEngineView(parent), m_shell(shell)
{
    setContextMenuPolicy(Qt::NoContextMenu);
}

void WebEngineBanner::Navigate(const QString& address)
{
    m_address = QUrl(address);
    if (m_started)
        load(m_address);
    else
        startWhenPainted();
}

void WebEngineBanner::startWhenPainted()
{
    const QWindow* shown = window()->windowHandle();
    if (shown && shown->isExposed()) {
        QTimer::singleShot(0, this, &WebEngineBanner::startBrowser);
        return;
    }
    if (!m_waiting) {
        m_waiting = true;
        qApp->installEventFilter(this);
    }
}

// Waits for the first paint of any widget of our window; the browser starts
// right after that paint is done.
bool WebEngineBanner::eventFilter(QObject* watched, QEvent* event)
{
    if (m_waiting && event->type() == QEvent::Paint && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->window() == window()) {
        m_waiting = false;
        qApp->removeEventFilter(this);
        QTimer::singleShot(0, this, &WebEngineBanner::startBrowser);
    }
    return QWebEngineView::eventFilter(watched, event);
}

void WebEngineBanner::startBrowser()
{
    if (m_started)
        return;
    m_started = true;
    QWebEnginePage* browser = page();
    browser->setBackgroundColor(Qt::black);
    // Links that want a window of their own open as the links menu's do.
    connect(browser, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { OpenWebLink(m_shell, request.requestedUrl()); });
    load(m_address);
}

} // namespace zerva
