#include "fakes/message_box_answer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace zerva::test {

MessageBoxAnswer::MessageBoxAnswer(QString button)
{
    QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        text = box->text();
        title = box->windowTitle();
        warningIcon = box->icon() == QMessageBox::Warning;
        QAbstractButton* chosen = button.isEmpty() ? box->button(QMessageBox::Ok) : nullptr;
        buttons.clear();
        for (QAbstractButton* b : box->buttons()) {
            buttons << (b == box->defaultButton() ? QStringLiteral("*") : QString()) + b->text();
            if (b->text() == button)
                chosen = b;
        }
        m_poll.stop();
        if (!chosen) {
            // Noted for the test to fail on, and closed as Escape closes it.
            buttons << QStringLiteral("no button ") + button;
            box->reject();
            return;
        }
        chosen->click();
    });
    m_poll.start(10);
}

} // namespace zerva::test
