#pragma once

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace zerva {

// The controls of the About window as designed (each also its widget's
// objectName). setupUi gives the window its designed look and builds the controls
// anew; the controls belong to the window.
struct HakkindaForm {
    QLabel* Label1 = nullptr;      // the display
    QLineEdit* Text1 = nullptr;    // hidden: what is still to type in
    QPushButton* Command1 = nullptr;

    void setupUi(QWidget* window);
};

} // namespace zerva
