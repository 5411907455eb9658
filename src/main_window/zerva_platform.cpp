#include "main_window/zerva_platform.h"

#include "platform/system_process_source.h"

namespace zerva {

ZervaPlatform MakeSystemPlatform()
{
    ZervaPlatform platform;
    platform.processes = MakeSystemProcessSource();
    return platform;
}

} // namespace zerva
