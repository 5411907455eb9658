#include "platform/controls/question_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace zerva {

bool QuestionBox(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("QuestionBox"));
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = box.addButton(QStringLiteral("Evet"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Hayir"), QMessageBox::NoRole);
    yes->setObjectName(QStringLiteral("Evet"));
    no->setObjectName(QStringLiteral("Hayir"));
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace zerva
