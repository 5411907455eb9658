#include "main_window/zerva.h"

namespace zerva {

// The menu bar.
void Zerva::buildMenus() {}

} // namespace zerva
