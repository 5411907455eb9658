#pragma once

#include "windows/hakkinda_form.h"

#include <QStringList>
#include <QWidget>

namespace zerva {

// The About window: its text types itself in, two characters a pass, and
// "Kapat" becomes usable once all of it has arrived. One object for the
// whole run; closing unloads it (its controls are destroyed) and the next
// Show loads it from its form and plays the animation again.
class Hakkinda : public QWidget {
    Q_OBJECT
public:
    // `frameMs`: the pace of the animation, one pass per frame. `text`: what
    // types in (the About text unless a test wants another).
    explicit Hakkinda(int frameMs = 16, QString text = AboutText());
    ~Hakkinda() override;

    // The eleven pieces the About text is joined from.
    static QStringList AboutPieces();
    static QString AboutText();

    // Loads the window (the animation runs before this returns) or, when it
    // is loaded, brings it to the front.
    void Show();

    bool isLoaded() const { return m_loaded; }
    bool isTyping() const { return m_typing; }
    const HakkindaForm& form() const { return m_form; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Command1_Click();

    int m_frameMs;
    QString m_text;
    HakkindaForm m_form;
    bool m_loaded = false;
    bool m_typing = false;
};

} // namespace zerva
