#include "platform/controls/input_box.h"

#include <QApplication>
#include <QInputDialog>

namespace zerva {

QString InputBox(const QString& prompt)
{
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), QApplication::applicationName(),
                                               prompt, QLineEdit::Normal, QString(), &ok);
    return ok ? text : QString();
}

} // namespace zerva
