#pragma once

#include "platform/banner.h"

#include <QUrl>
#include <QWebEngineView>

namespace zerva {

// The banner in a full browser (QtWebEngine), for builds that ask for it.
// Chromium starts only once the main window has painted itself, so the
// browser never delays the program's first look.
class WebEngineBanner : public QWebEngineView, public Banner {
    Q_OBJECT
public:
    WebEngineBanner(QWidget* parent, Shell* shell);

    QWidget* widget() override { return this; }
    void Navigate(const QString& address) override;

    // Whether the browser has been started and sent to the page.
    bool started() const { return m_started; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startWhenPainted();
    void startBrowser();

    Shell* m_shell;
    QUrl m_address;
    bool m_waiting = false;
    bool m_started = false;
};

} // namespace zerva
