#include "main_window/zerva.h"
#include "platform/first_paint_exit.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zerva"));
    QApplication::setApplicationVersion(QStringLiteral(ZERVA_VERSION));

    zerva::Zerva window(zerva::MakeSystemPlatform());
    zerva::ExitAfterFirstPaintIfAsked(window);
    window.Form_Load();
    window.show();
    return QApplication::exec();
}
