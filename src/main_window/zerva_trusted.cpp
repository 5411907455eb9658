#include "main_window/zerva.h"

namespace zerva {

// Loads the trusted programs into TrList.
void Zerva::loadTrusted() {}

} // namespace zerva
