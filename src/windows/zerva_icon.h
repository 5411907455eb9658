#pragma once

#include <QIcon>

namespace zerva {

// The program's icon, a cog wheel in front of a circuit board, shared by
// its windows. Null only if the resource failed to load.
QIcon ZervaIcon();

} // namespace zerva
