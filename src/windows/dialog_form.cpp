#include "windows/dialog_form.h"

#include "platform/controls/text_box.h"
#include "platform/controls/twips.h"
#include "windows/zerva_icon.h"

#include <QDialog>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace zerva {

void DialogForm::setupUi(QDialog* window)
{
    const Twips twips = Twips::of(*window);
    window->setObjectName(QStringLiteral("Dialog"));
    window->setWindowTitle(QStringLiteral("Dialog Caption"));
    window->setWindowIcon(ZervaIcon());
    // A fixed frame with a close box only and no taskbar button. Without an
    // owner, so that the main window may cover it; it keeps the program
    // running while it is open, which a tool window does not by default.
    window->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                           | Qt::MSWindowsFixedSizeDialogHint);
    window->setAttribute(Qt::WA_QuitOnClose, true);
    window->setAttribute(Qt::WA_DeleteOnClose, true);
    window->setSizeGripEnabled(false);

    // The client area stands at a fixed place on the screen.
    QPoint origin;
    if (const QScreen* screen = window->screen())
        origin = screen->geometry().topLeft();
    const QRect client = twips.rect(2760, 3750, 7260, 4260);
    window->setFixedSize(client.size());
    window->setGeometry(client.translated(origin));

    Text1 = new TextBox(window);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twips.rect(120, 120, 6975, 3615));
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setText(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("Surec ayrintilari"));

    OKButton = new QPushButton(QStringLiteral("Kapat"), window);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(twips.rect(6000, 3840, 1215, 375));
    // Neither the default nor the cancel button: Enter belongs to the text.
    OKButton->setAutoDefault(false);
    OKButton->setDefault(false);

    QWidget::setTabOrder(OKButton, Text1);
    OKButton->setFocus();
}

} // namespace zerva
