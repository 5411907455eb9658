#pragma once

#include <QPlainTextEdit>

namespace zerva {

// A multi-line text box whose text reads back exactly as it was written,
// CR LF line breaks included (the editor itself keeps paragraphs, not line
// break characters). Once the user edits it, the text reads as shown, with
// CR LF between its lines.
class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr);

    QString text() const;
    // Replaces the whole text; the caret goes to its start.
    void setText(const QString& text);

private:
    QString m_text;
};

} // namespace zerva
