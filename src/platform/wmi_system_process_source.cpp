#include "platform/system_process_source.h"
#include "platform/wmi_process_source.h"

namespace zerva {

std::unique_ptr<ProcessSource> MakeSystemProcessSource()
{
    return std::make_unique<WmiProcessSource>();
}

} // namespace zerva
