#include "platform/os/listed_shells.h"

namespace zerva {

std::vector<std::string> ListedShells()
{
    // Windows keeps no list of shells: the names decide there.
    return {};
}

} // namespace zerva
