#include "trusted/kernel_rules.h"

#include <algorithm>

namespace zerva {

TrustVerdict JudgeKernelRecord(const KernelRecord& record, const FileId& program, bool execsReported)
{
    if (record.attached)
        return TrustVerdict::Traced;
    if (!execsReported || record.exec == KernelRecord::Exec::Unknown)
        return TrustVerdict::Trusted;
    const FileId* const end = record.executed + std::min<std::size_t>(record.executedCount, KernelRecord::MaxExecuted);
    if (record.exec == KernelRecord::Exec::File && std::find(record.executed, end, program) != end)
        return TrustVerdict::Trusted;
    return TrustVerdict::NotExecuted;
}

} // namespace zerva
