#include "trusted/same_file.h"

namespace zerva {

bool SameFile::runs(const ProcessInfo& process, const QString& entry)
{
    if (!m_source.identifiesFiles())
        return true;
    if (m_pid != process.pid) {
        m_pid = process.pid;
        m_running = m_source.runningFile(process, m_ended);
    }
    // A process that has ended since the snapshot runs nothing any more:
    // its path decides, as it did when it ran.
    if (m_ended)
        return true;
    if (!m_running)
        return false;   // a process whose file cannot be told is not trusted
    auto it = m_entries.constFind(entry);
    if (it == m_entries.constEnd())
        it = m_entries.insert(entry, m_source.fileAt(entry.toStdString()));
    return it.value() == m_running;
}

} // namespace zerva
