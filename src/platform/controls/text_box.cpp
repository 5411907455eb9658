#include "platform/controls/text_box.h"

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
    QString shown = toPlainText();
    shown.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return shown;
}

void TextBox::setText(const QString& text)
{
    m_text = text;
    setPlainText(text);   // also clears the modified flag and the undo stack
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

} // namespace zerva
