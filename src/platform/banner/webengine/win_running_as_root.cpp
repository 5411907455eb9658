#include "platform/banner/webengine/chromium_start.h"

namespace zerva {

// Chromium's sandbox runs for administrators too on Windows.
bool RunningAsRoot()
{
    return false;
}

} // namespace zerva
