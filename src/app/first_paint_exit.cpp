#include "app/first_paint_exit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace zerva {

namespace {

class FirstPaintWatch : public QObject {
public:
    explicit FirstPaintWatch(QWidget& window) : QObject(&window), m_window(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->window() == &m_window) {
            m_seen = true;
            // Quit once the whole frame has been painted and flushed.
            QTimer::singleShot(0, [] {
                std::printf("first paint\n");
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    QWidget& m_window;
    bool m_seen = false;
};

} // namespace

void ExitAfterFirstPaintIfAsked(QWidget& window)
{
    if (qEnvironmentVariableIsEmpty("ZERVA_EXIT_AFTER_FIRST_PAINT"))
        return;
    QCoreApplication::instance()->installEventFilter(new FirstPaintWatch(window));
}

} // namespace zerva
