#pragma once

#include <QIcon>

namespace zerva {

// The style's own warning icon, made once: the one mark of a warning in
// every list, before the text it is about.
QIcon WarningIcon();

} // namespace zerva
