#include "platform/controls/text_box.h"

#include "platform/controls/left_to_right.h"

#include <QMimeData>
#include <QTextDocumentFragment>
#include <QScrollBar>

namespace zerva {

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent)
{
    document()->setModified(false);
}

QString TextBox::text() const
{
    if (!document()->isModified())
        return m_text;
    QString shown = StripIsolates(toPlainText());
    shown.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return shown;
}

void TextBox::setText(const QString& text)
{
    m_text = text;
    setPlainText(LeftToRight(text));   // also clears the modified flag and the undo stack
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

QMimeData* TextBox::createMimeDataFromSelection() const
{
    auto* mime = new QMimeData;
    mime->setText(StripIsolates(textCursor().selection().toPlainText()));
    return mime;
}

} // namespace zerva
