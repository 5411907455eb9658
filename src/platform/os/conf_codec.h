#pragma once

#include <QByteArray>
#include <QString>

namespace zerva {

// The bytes of the trusted-program file and its text. Each platform has
// its own implementation: the system's ANSI code page on Windows; elsewhere
// UTF-8, with lines that are not valid UTF-8 read as Windows-1254.
QString DecodeConfText(const QByteArray& bytes);

// False in `ok` when the text holds a character the file's encoding cannot
// represent; nothing is replaced by '?'.
QByteArray EncodeConfText(const QString& text, bool* ok);

} // namespace zerva
