#include "windows/hakkinda_form.h"

#include "platform/controls/twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace zerva {

namespace {

void Fill(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette pal = widget->palette();
    pal.setColor(role, colour);
    widget->setPalette(pal);
}

} // namespace

void HakkindaForm::setupUi(QWidget* window)
{
    window->setObjectName(QStringLiteral("Hakkinda"));
    window->setWindowTitle(QStringLiteral("Zerva Hakkinda"));
    // No frame, no title bar, no taskbar button.
    window->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    // Still a window of its own: the program runs until it is closed too.
    window->setAttribute(Qt::WA_QuitOnClose, true);
    const Twips twips = Twips::of(*window);
    window->setFixedSize(twips.size(7920, 2505));
    Fill(window, QPalette::Window, Qt::black);
    window->setAutoFillBackground(true);

    Label1 = new QLabel(window);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twips.rect(120, 120, 7695, 1815));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setAutoFillBackground(true);
    Fill(Label1, QPalette::Window, QColor(0, 0, 64));
    Fill(Label1, QPalette::WindowText, QColor(192, 192, 192));
    // fontconfig maps the name to a metric-compatible serif where the
    // original is not installed.
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(9.75);
    font.setItalic(true);
    font.setWeight(QFont::Normal);
    Label1->setFont(font);

    Text1 = new QLineEdit(window);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twips.rect(4440, 3120, 2295, 495));
    Text1->setVisible(false);

    Command1 = new QPushButton(QStringLiteral("Kapat"), window);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips.rect(6600, 2040, 1215, 375));
    Command1->setEnabled(false);
    Fill(Command1, QPalette::Button, QColor(224, 224, 224));
}

} // namespace zerva
