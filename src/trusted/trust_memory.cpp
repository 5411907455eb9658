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
    for (auto it = m_records.begin(); it != m_records.end();) {
        if (it->second.refresh != m_refresh) {
            it = m_records.erase(it);
        } else {
            m_inspected += it->second.inspected ? 1 : 0;
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
    if (!record.inspected || recheckAfter.count() == 0)
        return true;
    const std::chrono::milliseconds wait = std::max(
        recheckAfter, std::chrono::milliseconds(m_inspected * 1000 / std::max(rechecksPerSecond, 1)));
    const auto spread = wait * (process.pid % 8) / 8;
    return now - record.inspectedAt >= wait + spread;
}

} // namespace zerva
