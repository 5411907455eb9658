#pragma once

#include <QString>
#include <QTimer>

namespace zerva::test {

// Closes the next real message box with OK, as a user would, noting what it
// said. Made before the command that shows the box.
class MessageBoxAnswer {
public:
    MessageBoxAnswer();

    // What the box showed; null until it was answered.
    QString text;
    QString title;

private:
    QTimer m_poll;
};

} // namespace zerva::test
