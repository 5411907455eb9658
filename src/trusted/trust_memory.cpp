#include "trusted/trust_memory.h"

#include <algorithm>

namespace zerva {

void TrustMemory::beginRefresh()
{
    ++m_refresh;
}

void TrustMemory::endRefresh()
{
    m_inspected = 0;
    m_inspectedOf.clear();
    for (auto it = m_records.begin(); it != m_records.end();) {
        if (it->second.refresh != m_refresh) {
            it = m_records.erase(it);
        } else {
            if (it->second.inspected) {
                ++m_inspected;
                if (it->second.hasOwner)
                    ++m_inspectedOf[it->second.owner];
            }
            ++it;
        }
    }
}

TrustMemory::Record& TrustMemory::see(const ProcessInfo& process)
{
    Record& r = m_records[process.pid];
    if (r.refresh == 0 || r.hasStartTime != process.startTime.has_value()
        || (r.hasStartTime && r.startTime != *process.startTime)) {
        r = Record{};
        r.hasStartTime = process.startTime.has_value();
        r.startTime = process.startTime.value_or(0);
        r.firstPath = process.executablePath.value_or(std::string());
        const auto parent = m_records.find(process.parentPid);
        r.mayExec = process.parentPid != 0 && parent != m_records.end() && parent->second.refresh == m_refresh
            && parent->second.firstPath == r.firstPath;
    } else if (process.executablePath && *process.executablePath != r.firstPath) {
        // Its exec, once, for a child seen before it; otherwise a link set
        // by hand.
        if (r.mayExec)
            r.firstPath = *process.executablePath;
        else
            r.linkChanged = true;
        r.mayExec = false;
    }
    r.refresh = m_refresh;
    return r;
}

bool TrustMemory::due(const ProcessInfo& process, const Record& record, Clock::time_point now) const
{
    static_cast<void>(process);
    if (!record.inspected || recheckAfter.count() == 0)
        return true;
    return now - record.inspectedAt >= wait(record);
}

std::chrono::milliseconds TrustMemory::wait(const Record& record) const
{
    std::int64_t sharing = m_inspected;
    if (record.hasOwner) {
        const auto it = m_inspectedOf.find(record.owner);
        sharing = it == m_inspectedOf.end() ? 0 : it->second;
    }
    const std::chrono::milliseconds spread(sharing * 1000 / std::max(rechecksPerSecond, 1));
    return std::min(std::max(recheckAfter, spread), std::max(longestWait, recheckAfter));
}

void TrustMemory::firstInspected(const ProcessInfo& process, Record& record) const
{
    const std::int64_t eighths = process.pid < 0 ? 0 : process.pid % 8;
    record.inspectedAt -= wait(record) * eighths / 8;
}

} // namespace zerva
