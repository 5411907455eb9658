#include "platform/banner/webengine/webengine_banner.h"

#include "platform/banner/shell_link.h"
#include "platform/banner/webengine/chromium_start.h"

#include <QApplication>
#include <QEvent>
#include <QStackedLayout>
#include <QTimer>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>

namespace zerva {

WebEngineBanner::WebEngineBanner(QWidget* parent, Shell* shell) : QWidget(parent), m_shell(shell)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    auto* layout = new QStackedLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void WebEngineBanner::Navigate(const QString& address)
{
    m_address = QUrl(address);
    if (m_view)
        m_view->load(m_address);
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
    return QWidget::eventFilter(watched, event);
}

void WebEngineBanner::startBrowser()
{
    // Chromium that refuses to start would end the whole program: then the
    // banner just stays black.
    if (m_view || !ChromiumCanStartHere())
        return;
    m_view = new QWebEngineView(this);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    layout()->addWidget(m_view);
    QWebEnginePage* page = m_view->page();
    page->setBackgroundColor(Qt::black);
    connect(m_view, &QWebEngineView::loadFinished, this, &WebEngineBanner::loadFinished);
    // Links that want a window of their own open as the links menu's do.
    connect(page, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { OpenWebLink(m_shell, request.requestedUrl()); });
    m_view->load(m_address);
}

} // namespace zerva
