#pragma once

#include <QString>

namespace zerva {

// The toolkit's message box: `text` with a warning icon and an OK button,
// titled with the application's name, modal over the active window. Returns
// when the user closes it.
void MessageBox(const QString& text);

} // namespace zerva
