#pragma once

#include "platform/banner/banner.h"

#include <QUrl>
#include <QWidget>

class QWebEngineView;

namespace zerva {

// The banner in a full browser (QtWebEngine), for builds that ask for it.
// The browser view is made only once the main window has painted itself:
// Chromium starts with it, and must not delay the program's first look.
// Until then, and for good where Chromium cannot start, the banner is black.
class WebEngineBanner : public QWidget, public Banner {
    Q_OBJECT
public:
    WebEngineBanner(QWidget* parent, Shell* shell);

    QWidget* widget() override { return this; }
    void Navigate(const QString& address) override;

    // The browser, once started; null before.
    QWebEngineView* view() const { return m_view; }

Q_SIGNALS:
    // The browser's own, passed on.
    void loadFinished(bool ok);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startWhenPainted();
    void startBrowser();

    Shell* m_shell;
    QUrl m_address;
    QWebEngineView* m_view = nullptr;
    bool m_waiting = false;
};

} // namespace zerva
