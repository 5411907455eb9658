#include "platform/os/conf_codec.h"

#include "platform/os/posix/code_page_1254.h"

#include <QStringEncoder>

namespace zerva {

namespace {

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

} // namespace

// UTF-8, decided line by line: a line that is not valid UTF-8 (one carried
// over from a Turkish Windows machine, most likely) is read as Windows-1254,
// which gives a character for every byte. One such line must not turn the
// UTF-8 lines around it into mojibake, which the next add would write back
// for good. A UTF-8 byte order mark at the start is dropped.
//
// CR and LF are the same bytes in both encodings and never part of a UTF-8
// sequence, so splitting at them first is safe.
QString DecodeConfText(const QByteArray& bytes)
{
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xef\xbb\xbf"))
        rest = rest.sliced(3);
    // The usual file, in one pass.
    if (rest.isValidUtf8())
        return QString::fromUtf8(rest);

    QString text;
    text.reserve(rest.size());
    // Runs of valid lines are decoded together; only the others one by one.
    qsizetype run = 0;
    qsizetype start = 0;
    while (start < rest.size()) {
        qsizetype end = start;
        while (end < rest.size() && !IsLineEnd(rest[end]))
            ++end;
        const QByteArrayView line = rest.sliced(start, end - start);
        if (!line.isValidUtf8()) {
            text += QString::fromUtf8(rest.sliced(run, start - run));
            text += DecodeWindows1254(line);
            run = end;
        }
        while (end < rest.size() && IsLineEnd(rest[end]))
            ++end;
        start = end;
    }
    text += QString::fromUtf8(rest.sliced(run));
    return text;
}

// UTF-8 holds every character; only a lone surrogate half, which no text
// typed or read ever holds, is refused.
QByteArray EncodeConfText(const QString& text, bool* ok)
{
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    QByteArray bytes = utf8.encode(text);
    if (ok)
        *ok = !utf8.hasError();
    return bytes;
}

} // namespace zerva
