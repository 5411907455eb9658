#include "main_window/zerva_platform.h"

#include "platform/input_box.h"
#include "platform/system_process_source.h"

namespace zerva {

ZervaPlatform MakeSystemPlatform()
{
    ZervaPlatform platform;
    platform.processes = MakeSystemProcessSource();
    platform.inputBox = InputBox;
    return platform;
}

} // namespace zerva
