#include "platform/os/conf_codec.h"

#include "platform/os/posix/code_page_1254.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace zerva {

// UTF-8. A file that is not valid UTF-8 as a whole (one carried over from a
// Turkish Windows machine, most likely) is read as Windows-1254 instead,
// which gives a character for every byte. A UTF-8 byte order mark at the
// start is skipped.
QString DecodeConfText(const QByteArray& bytes)
{
    // Stateless: a sequence cut off at the end of the file is an error too.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1254(bytes);
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
