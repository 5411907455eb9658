#include "main_window/zerva.h"

namespace zerva {

// Loads the trusted programs into TrList.
void Zerva::loadTrusted() {}

// "Guvenilir Program Ekle": adds a trusted program.
void Zerva::GPE_Click() {}

} // namespace zerva
