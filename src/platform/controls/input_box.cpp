#include "platform/controls/input_box.h"

#include <QApplication>
#include <QInputDialog>

namespace zerva {

QString InputBox(const QString& prompt, const QString& text)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(QApplication::activeWindow(), QApplication::applicationName(),
                                                 prompt, QLineEdit::Normal, text, &ok);
    return ok ? answer : QString();
}

} // namespace zerva
