#include "main_window/zerva.h"
#include "app/first_paint_exit.h"
#include "platform/os/memory.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    zerva::ReturnLargeBlocks();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zerva"));
    QApplication::setApplicationVersion(QStringLiteral(ZERVA_VERSION));
    // Lets the desktop match the windows to the menu entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral("org.example.zerva"));

    zerva::Zerva window(zerva::MakeSystemPlatform());
    zerva::ExitAfterFirstPaintIfAsked(window);
    // The window shows first; start-up's refresh fills it right after.
    window.Form_Load(zerva::Zerva::FirstRefresh::AfterFirstPaint);
    window.show();
    return QApplication::exec();
}
