#include "trusted/lower_case.h"

namespace zerva {

QString LowerCase(const QString& text)
{
    return text.toLower();
}

} // namespace zerva
