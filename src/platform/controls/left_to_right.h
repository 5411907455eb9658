#pragma once

#include <QString>

namespace zerva {

// The text as it is to be drawn so that it reads left to right in its own
// order: each line isolated as left-to-right, and each run between
// separators ('/', '\\', blank) that holds right-to-left letters isolated
// on its own (first-strong), so that "/a/א/ב/x" is drawn in that order and
// not as "/a/ב/א/x". A text without right-to-left letters comes back as it
// is. The marks added are U+2066 to U+2069, which process texts never hold
// (they are shown escaped), so StripIsolates() gives the text back.
QString LeftToRight(const QString& text);
QString StripIsolates(QString text);

} // namespace zerva
