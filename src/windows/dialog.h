#pragma once

#include <QObject>
#include <QPointer>

namespace zerva {

class DialogWindow;
class TextBox;

// The details window's shared object. It is created once and outlives the
// window it shows: the first reference to an unloaded window (its caption,
// its text box, Show) loads a fresh one from its form, and closing the
// window unloads it again.
class Dialog : public QObject {
    Q_OBJECT
public:
    explicit Dialog(QObject* parent = nullptr);
    ~Dialog() override;

    // Writes the window title, loading the window first if needed.
    void setCaption(const QString& caption);
    // The text box, loading the window first if needed.
    TextBox& Text1();
    // Modeless and without an owner; a window already shown comes to the
    // front and is activated, restored first if it was minimised.
    void show();
    // Destroys the window and its controls; the object stays.
    void unload();

    bool isLoaded() const { return window() != nullptr; }
    // The loaded window, or null.
    DialogWindow* window() const;

private:
    DialogWindow& load();

    QPointer<DialogWindow> m_window;
};

} // namespace zerva
