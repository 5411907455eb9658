#pragma once

#include <QByteArray>
#include <QString>

namespace zerva {

// The bytes of the trusted-program file and its text. Each platform has
// its own implementation: the system's ANSI code page on Windows, UTF-8
// elsewhere.
QString DecodeConfText(const QByteArray& bytes);

// False in `ok` when the text holds a character the file's encoding cannot
// represent; nothing is replaced by '?'.
QByteArray EncodeConfText(const QString& text, bool* ok);

} // namespace zerva
