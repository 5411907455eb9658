#include "fakes/input_box_answer.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QtTest>

namespace zerva::test {

InputBoxAnswer::InputBoxAnswer(QString text, bool accept)
{
    QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this, text, accept] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!box || !title.isNull())
            return;
        label = box->labelText();
        title = box->windowTitle();
        initial = box->textValue();
        auto* field = box->findChild<QLineEdit*>();
        // Typed key by key; QtTest has no key codes for letters beyond
        // ASCII, which come as the text of a key, as from a Turkish keyboard.
        for (const QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(field, char(c.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        accept ? QTest::keyClick(field, Qt::Key_Return) : box->reject();
        m_poll.stop();
    });
    m_poll.start(10);
}

} // namespace zerva::test
