#include "windows/dialog_window.h"

#include "platform/controls/client_area.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace zerva {

DialogWindow::DialogWindow() : QDialog(nullptr)
{
    m_form.setupUi(this);
    connect(m_form.OKButton, &QPushButton::clicked, this, &QWidget::close);
}

void DialogWindow::paintEvent(QPaintEvent* event)
{
    PaintBackColor(*this, QColor(0, 0, 0));
    QDialog::paintEvent(event);
}

void DialogWindow::keyPressEvent(QKeyEvent* event)
{
    // There is no cancel button: Escape does not close the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void DialogWindow::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT Unloaded();
}

} // namespace zerva
