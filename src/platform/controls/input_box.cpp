#include "platform/controls/input_box.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>

#include <limits>

namespace zerva {

QString InputBox(const QString& prompt, const QString& text)
{
    QInputDialog box(QApplication::activeWindow());
    box.setObjectName(QStringLiteral("InputBox"));
    box.setWindowTitle(QApplication::applicationName());
    box.setLabelText(prompt);
    box.setInputMode(QInputDialog::TextInput);
    box.setTextValue(text);
    // A line edit keeps only its first 32767 characters by default: a long
    // answer must arrive whole, to be taken whole or refused, never cut.
    for (QLineEdit* field : box.findChildren<QLineEdit*>())
        field->setMaxLength(std::numeric_limits<int>::max());
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

} // namespace zerva
