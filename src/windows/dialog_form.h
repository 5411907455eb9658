#pragma once

class QDialog;
class QPushButton;

namespace zerva {

class TextBox;

// The controls of the details window, each also its widget's objectName.
// setupUi builds the window and its controls from their form.
struct DialogForm {
    TextBox* Text1 = nullptr;
    QPushButton* OKButton = nullptr;

    void setupUi(QDialog* window);
};

} // namespace zerva
