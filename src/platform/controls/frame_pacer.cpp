#include "platform/controls/frame_pacer.h"

#include "platform/controls/do_events.h"

#include <QEventLoop>
#include <QTimer>

namespace zerva {

FramePacer::FramePacer(int frameMs) : m_frameMs(frameMs)
{
    m_since.start();
}

void FramePacer::yield()
{
    DoEvents();
    const qint64 left = m_frameMs - m_since.elapsed();
    if (left > 0) {
        // All events keep running, user input included: the other windows
        // stay usable while the loop waits.
        QEventLoop wait;
        QTimer::singleShot(std::chrono::milliseconds(left), Qt::PreciseTimer, &wait, &QEventLoop::quit);
        wait.exec();
    }
    m_since.restart();
}

} // namespace zerva
