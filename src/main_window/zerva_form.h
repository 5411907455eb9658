#pragma once

#include <QObject>

class QFrame;
class QLabel;
class QMainWindow;
class QPushButton;
class QTimer;

namespace zerva {

class CheckBox;
class ListView;
class Twips;

// The controls of the main window, named as they are known everywhere (each
// is also its widget's objectName). Built once by setupUi; the widgets
// belong to the window.
struct ZervaForm {
    ListView* List1 = nullptr;
    ListView* BufList = nullptr;
    ListView* TrList = nullptr;
    QPushButton* cmdRefresh = nullptr;
    QPushButton* cmdExit = nullptr;
    QLabel* lblOS = nullptr;
    CheckBox* Check1 = nullptr;
    CheckBox* Check2 = nullptr;
    QFrame* Frame1 = nullptr;
    QTimer* Timer1 = nullptr;

    void setupUi(QMainWindow* window, int timerIntervalMs);
    // Sizes the client area as designed and centres the window; once the
    // menu bar is in place.
    void placeWindow(QMainWindow* window);
    // Centres the window's frame on its screen. A window manager adds the
    // frame only when the window is first shown, so this runs again then.
    static void centreFrame(QMainWindow* window);

private:
    void fitStatusRow(const Twips& twips);
};

} // namespace zerva
