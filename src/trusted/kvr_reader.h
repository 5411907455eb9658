#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace zerva {

// Reads the entries of the trusted-program file from its text, one field at
// a time. Pure: no file access, any text is accepted, and the work is linear
// in the length of the text.
//
// The rules:
// - The text is a sequence of fields; each field is one entry, in order.
//   A comma or a line end ends a field; the last field may end at the end of
//   the text. A final line end makes no extra entry, but a final comma does
//   (the empty field after it): "a," and "a,\r\n" both read as a and "".
// - A line end is CR LF, a lone CR or a lone LF (files edited on any
//   system). LF CR is two line ends.
// - Blanks are spaces and tabs. Blanks before a field are skipped. Blanks
//   after an unquoted field are dropped too, so a hand-typed "c:\x.exe  "
//   still matches; an entry that really ends in a blank is written quoted.
// - A blank line, or a line of blanks, is one empty entry.
// - A field that begins with a double quote (after its blanks) is quoted:
//   it runs to the first double quote that is followed, blanks aside, by a
//   comma, a line end or the end of the text. Between the quotes everything
//   is kept as it stands: commas, blanks, tabs and other double quotes. So
//   "c:\x y\z.exe" reads as c:\x y\z.exe, "a,b" as a,b and ""x" as "x. Only
//   a double quote followed by a comma cannot be inside a quoted field.
// - A double quote inside an unquoted field is an ordinary character:
//   c:\a"b reads as c:\a"b.
// - A quote that is never closed runs to the end of its line, never beyond:
//   the field is the rest of the line after the opening quote, as it stands.
//   One stray quote therefore cannot swallow the rest of the file.
// - Letter case and every other character (NUL included) stay as they are.
class KvrReader {
public:
    explicit KvrReader(QStringView text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size() && !m_fieldDue; }
    // The next field. Only meaningful while !atEnd().
    QString next();

private:
    inline bool isLineEnd(qsizetype i) const;
    inline bool isBlank(qsizetype i) const;
    // Past the delimiter at m_pos (a comma or a line end), if any.
    void skipDelimiter();
    QString quoted();
    QString unquoted();

    QStringView m_text;
    qsizetype m_pos = 0;
    // A comma was read: a field follows even at the end of the text.
    bool m_fieldDue = false;
};

// All the entries of a text.
QStringList ReadKvr(QStringView text);

} // namespace zerva
