#pragma once

#include <QString>

namespace zerva {

// The toolkit's message box asking a yes-or-no question: `text` with a
// warning icon and the buttons "Evet" and "Hayir", titled with the
// application's name, modal over the active window. "Hayir" is the default
// and what Escape or closing the box answers: only a deliberate "Evet" is
// a yes. The text is shown as plain text, never as markup.
bool QuestionBox(const QString& text);

} // namespace zerva
