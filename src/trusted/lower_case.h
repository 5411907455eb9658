#pragma once

#include <QString>

namespace zerva {

// The one lower-casing used for trusted entries and for tested paths, so
// that both sides are mapped alike.
QString LowerCase(const QString& text);

} // namespace zerva
