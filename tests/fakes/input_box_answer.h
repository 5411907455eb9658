#pragma once

#include <QString>
#include <QTimer>

namespace zerva::test {

// Answers the next real input box as a user would: types `text` into its
// field, then presses Enter, or Cancel when `accept` is false. It watches
// from the event loop that the modal box runs, so it is made before the
// command that opens the box.
class InputBoxAnswer {
public:
    InputBoxAnswer(QString text, bool accept);

    // What the box showed when it was answered; null until then.
    QString label;
    QString title;
    QString initial;

private:
    QTimer m_poll;
};

} // namespace zerva::test
