#pragma once

#include <QByteArrayView>
#include <QString>

namespace zerva {

// Windows-1254 (Turkish) to text, byte for byte. Every byte gives exactly
// one character: the five bytes the code page leaves undefined become the
// control characters of the same value, as Windows itself maps them, so
// nothing is ever replaced by '?'.
QString DecodeWindows1254(QByteArrayView bytes);

} // namespace zerva
