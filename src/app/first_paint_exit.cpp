#include "app/first_paint_exit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace zerva {

namespace {

class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(QWidget& window, bool untilList) : QObject(&window), m_window(window), m_untilList(untilList) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || m_done || !watched->isWidgetType()
            || static_cast<QWidget*>(watched)->window() != &m_window)
            return false;
        if (!m_painted) {
            m_painted = true;
            report("first paint", !m_untilList);
        } else if (m_untilList) {
            // The status line counts the rows once a list has been filled.
            const auto* label = m_window.findChild<QLabel*>(QStringLiteral("lblOS"));
            if (label && label->text().startsWith(QLatin1String("Toplam")))
                report("first list", true);
        }
        return false;
    }

private:
    void report(const char* what, bool quit)
    {
        m_done = quit;
        // Once the whole frame has been painted and flushed.
        QTimer::singleShot(0, [what, quit] {
            std::printf("%s\n", what);
            std::fflush(stdout);
            if (quit)
                QCoreApplication::exit(0);
        });
    }

    QWidget& m_window;
    bool m_untilList;
    bool m_painted = false;
    bool m_done = false;
};

} // namespace

void ExitAfterFirstPaintIfAsked(QWidget& window)
{
    const QByteArray mode = qgetenv("ZERVA_EXIT_AFTER_FIRST_PAINT");
    if (mode.isEmpty())
        return;
    QCoreApplication::instance()->installEventFilter(new FirstPaintWatch(window, mode == "list"));
}

} // namespace zerva
