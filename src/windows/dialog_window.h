#pragma once

#include "windows/dialog_form.h"

#include <QDialog>

namespace zerva {

// The details window as loaded from its form. Closing it (its "Kapat" or
// the close box) unloads it: the window and its controls are destroyed.
class DialogWindow : public QDialog {
    Q_OBJECT
public:
    DialogWindow();

    const DialogForm& form() const { return m_form; }

Q_SIGNALS:
    // The window has been closed and is about to be destroyed.
    void Unloaded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    DialogForm m_form;
};

} // namespace zerva
