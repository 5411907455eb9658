#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>

namespace zerva::test {

// Closes the next real message box with OK (or the button whose text is
// `button`, "Evet" or "Hayir" of a question), as a user would, noting what
// it said and which buttons it had. Made before the command that shows the
// box.
class MessageBoxAnswer {
public:
    explicit MessageBoxAnswer(QString button = QString());

    // What the box showed; null until it was answered.
    QString text;
    QString title;
    // The texts of its buttons, the default one marked with a leading '*';
    // and whether it showed the warning icon.
    QStringList buttons;
    bool warningIcon = false;

private:
    QTimer m_poll;
};

} // namespace zerva::test
