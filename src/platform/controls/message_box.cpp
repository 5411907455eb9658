#include "platform/controls/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace zerva {

void MessageBox(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MessageBox"));
    // Paths and names in a message are shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace zerva
