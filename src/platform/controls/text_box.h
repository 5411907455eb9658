#pragma once

#include <QPlainTextEdit>

namespace zerva {

// A multi-line text box whose text reads back exactly as it was written,
// CR LF line breaks included (the editor itself keeps paragraphs, not line
// break characters). Once the user edits it, the text reads as shown, with
// CR LF between its lines. Each line is drawn left to right in the order it
// is written (see LeftToRight); the marks that takes are never part of the
// text read back or copied.
class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr);

    QString text() const;
    // Replaces the whole text; the caret goes to its start.
    void setText(const QString& text);

protected:
    QMimeData* createMimeDataFromSelection() const override;

private:
    QString m_text;
};

} // namespace zerva
