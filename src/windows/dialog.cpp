#include "windows/dialog.h"

#include "windows/dialog_window.h"

namespace zerva {

Dialog::Dialog(QObject* parent) : QObject(parent) {}

Dialog::~Dialog()
{
    delete m_window.data();
}

DialogWindow& Dialog::load()
{
    if (!m_window) {
        m_window = new DialogWindow;
        // Forgotten at once, so that a use before the deferred delete
        // already loads a fresh window.
        connect(m_window, &DialogWindow::Unloaded, this, [this] { m_window.clear(); });
    }
    return *m_window;
}

DialogWindow* Dialog::window() const
{
    return m_window.data();
}

void Dialog::setCaption(const QString& caption)
{
    load().setWindowTitle(caption);
}

TextBox& Dialog::Text1()
{
    return *load().form().Text1;
}

void Dialog::show()
{
    DialogWindow& window = load();
    // A window manager may offer to minimise it; without a taskbar button
    // it would then be out of reach, so it comes back first.
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

void Dialog::unload()
{
    if (m_window)
        m_window->close();
}

} // namespace zerva
