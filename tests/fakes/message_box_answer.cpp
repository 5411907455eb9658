#include "fakes/message_box_answer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace zerva::test {

MessageBoxAnswer::MessageBoxAnswer()
{
    QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        text = box->text();
        title = box->windowTitle();
        box->button(QMessageBox::Ok)->click();
        m_poll.stop();
    });
    m_poll.start(10);
}

} // namespace zerva::test
