#include "platform/controls/do_events.h"

#include <QCoreApplication>

namespace zerva {

void DoEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace zerva
