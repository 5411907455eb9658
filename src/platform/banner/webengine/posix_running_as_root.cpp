#include "platform/banner/webengine/chromium_start.h"

#include <unistd.h>

namespace zerva {

bool RunningAsRoot()
{
    return geteuid() == 0;
}

} // namespace zerva
