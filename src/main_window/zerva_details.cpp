#include "main_window/zerva.h"

namespace zerva {

// Opens the details of the list's selected process.
void Zerva::showDetails(const ListView& list)
{
    Q_UNUSED(list);
}

} // namespace zerva
