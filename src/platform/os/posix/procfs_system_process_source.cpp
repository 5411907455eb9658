#include "platform/os/posix/procfs_process_source.h"
#include "platform/os/system_process_source.h"

namespace zerva {

std::unique_ptr<ProcessSource> MakeSystemProcessSource()
{
    return std::make_unique<ProcfsProcessSource>("/proc");
}

} // namespace zerva
