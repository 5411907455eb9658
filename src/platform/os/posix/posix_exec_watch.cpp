#include "platform/os/exec_watch.h"
#include "platform/os/posix/exec_record_reader.h"

namespace zerva {

std::unique_ptr<ExecWatch> MakeSystemExecWatch()
{
    return std::make_unique<ExecRecordReader>();
}

} // namespace zerva
