#include "platform/os/system_process_source.h"
#include "platform/os/windows/nt_process_source.h"
#include "platform/os/windows/wmi_process_source.h"

namespace zerva {

std::unique_ptr<ProcessSource> MakeSystemProcessSource()
{
    // The native calls where the system has them (every Windows since XP,
    // and Wine); the management service otherwise.
    if (NtProcessSource::available())
        return std::make_unique<NtProcessSource>();
    return std::make_unique<WmiProcessSource>();
}

} // namespace zerva
