#include "platform/os/conf_codec.h"

#include "platform/os/windows/win_code_page.h"

#include <string>

// kvr.conf on Windows is in the system's ANSI code page, as Notepad and
// older tools of the same machine write it.

namespace zerva {

QString DecodeConfText(const QByteArray& bytes)
{
    std::u16string text;
    if (!CodePageToUtf16(bytes.toStdString(), text))
        return QString();
    return QString::fromStdU16String(text);
}

QByteArray EncodeConfText(const QString& text, bool* ok)
{
    std::string bytes;
    const bool encoded = Utf16ToCodePage(text.toStdU16String(), bytes);
    if (ok)
        *ok = encoded;
    return encoded ? QByteArray::fromStdString(bytes) : QByteArray();
}

} // namespace zerva
