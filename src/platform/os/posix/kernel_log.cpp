#include "platform/os/posix/kernel_log.h"

#include <algorithm>

namespace zerva {

void KernelLog::follow(const std::vector<ProcessEvent>& events, bool complete)
{
    // The opens come from another reader, and those kept belong to execs
    // still to come.
    if (!complete)
        for (auto& [pid, entry] : m_records)
            entry.record.exec = KernelRecord::Exec::Unknown;
    for (const ProcessEvent& e : events) {
        switch (e.kind) {
        case ProcessEvent::Kind::Fork: {
            const auto parent = m_records.find(e.parent);
            Entry child;
            if (parent != m_records.end()) {
                child.record = parent->second.record;
            } else if (complete && m_opensReported && programOf) {
                // Its parent began before: the child runs what the parent
                // runs, as the other tests judge the parent.
                if (const std::optional<FileId> file = programOf(e.parent)) {
                    child.record.exec = KernelRecord::Exec::File;
                    child.record.executed[0] = *file;
                    child.record.executedCount = 1;
                }
            }
            // Its opens stay: they were reported before the events of this
            // drain were followed, and may be its own exec's.
            m_records[e.pid] = child;
            break;
        }
        case ProcessEvent::Kind::Exec: {
            KernelRecord& r = m_records[e.pid].record;
            const auto opened = m_opened.find(e.pid);
            if (!complete || !m_opensReported) {
                r.exec = KernelRecord::Exec::Unknown;
            } else if (opened != m_opened.end()) {
                r.exec = KernelRecord::Exec::File;
                r.executedCount = opened->second.count;
                std::copy(opened->second.files, opened->second.files + opened->second.count, r.executed);
            } else {
                r.exec = KernelRecord::Exec::Unreported;
            }
            if (opened != m_opened.end())
                m_opened.erase(opened);
            break;
        }
        case ProcessEvent::Kind::Attach:
            m_records[e.pid].record.attached = true;
            break;
        }
    }
}

void KernelLog::execOpened(std::int64_t pid, const FileId& file)
{
    Opened& o = m_opened[pid];
    o.scan = m_scan;
    o.at = std::chrono::steady_clock::now();
    if (o.count == KernelRecord::MaxExecuted) {
        std::copy(o.files + 1, o.files + o.count, o.files);
        --o.count;
    }
    o.files[o.count++] = file;
}

void KernelLog::reportOpens(bool reported)
{
    if (reported == m_opensReported)
        return;
    m_opensReported = reported;
    for (auto& [pid, entry] : m_records)
        entry.record.exec = KernelRecord::Exec::Unknown;
    m_opened.clear();
}

KernelRecord KernelLog::seen(std::int64_t pid, unsigned scan)
{
    m_scan = scan;
    const auto it = m_records.find(pid);
    if (it == m_records.end())
        return {};
    it->second.scan = scan;
    return it->second.record;
}

void KernelLog::sweep(unsigned scan)
{
    // An open whose exec never came (it failed, or its process ended):
    // kept one scan, and a few seconds, for an exec reported at a later
    // drain (a loaded machine may take that long from the open to the end
    // of the exec, while scans go on).
    const auto old = std::chrono::steady_clock::now() - std::chrono::seconds(5);
    for (auto it = m_opened.begin(); it != m_opened.end();) {
        if (it->second.scan + 1 < scan && it->second.at < old)
            it = m_opened.erase(it);
        else
            ++it;
    }
    for (auto it = m_records.begin(); it != m_records.end();) {
        if (it->second.scan != scan)
            it = m_records.erase(it);
        else
            ++it;
    }
}

} // namespace zerva
