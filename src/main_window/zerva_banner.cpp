#include "main_window/zerva.h"

namespace zerva {

// Points the banner at its page.
void Zerva::startBanner() {}

} // namespace zerva
