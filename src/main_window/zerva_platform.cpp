#include "main_window/zerva_platform.h"

#include "platform/controls/input_box.h"
#include "platform/controls/message_box.h"
#include "platform/controls/question_box.h"
#include "platform/os/listed_shells.h"
#include "platform/os/system_process_source.h"

namespace zerva {

ZervaPlatform MakeSystemPlatform()
{
    ZervaPlatform platform;
    platform.processes = MakeSystemProcessSource();
    platform.shell = MakeSystemShell();
    platform.banner = MakeSystemBanner;
    platform.inputBox = InputBox;
    platform.messageBox = MessageBox;
    platform.execWatch = MakeSystemExecWatch();
    platform.questionBox = QuestionBox;
    platform.listedShells = ListedShells;
    platform.lockPlaces = LockPlaces;
    return platform;
}

} // namespace zerva
