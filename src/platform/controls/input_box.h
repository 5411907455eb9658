#pragma once

#include <QString>

namespace zerva {

// The toolkit's input box: a modal box with the prompt, one edit field
// holding `text` and the buttons OK and Cancel, titled with the
// application's name and centred on the active window. The field's text on
// OK, an empty string on Cancel.
QString InputBox(const QString& prompt, const QString& text = QString());

} // namespace zerva
