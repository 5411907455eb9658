#include "trusted/trust_check.h"

#include "trusted/inside_rules.h"
#include "trusted/kernel_rules.h"

#include <chrono>
#include <thread>

namespace zerva {

TrustCheck::TrustCheck(const ProcessSource& source, TrustMemory& memory)
    : m_source(source), m_memory(memory), m_sameFile(source), m_now(TrustMemory::Clock::now())
{
}

TrustVerdict TrustCheck::verdict(const ProcessInfo& process, const QString& entry)
{
    if (!m_sameFile.runs(process, entry))
        return m_sameFile.running() ? TrustVerdict::OtherFile : TrustVerdict::Unreadable;
    if (m_sameFile.ended() || !m_source.inspectsProcesses())
        return TrustVerdict::Trusted;
    const FileId file = *m_sameFile.running();
    TrustMemory::Record& record = m_memory.see(process);
    if (record.lasting != TrustVerdict::Trusted)
        return record.lasting;
    // What the kernel reported holds for the process's life: an attach at
    // once, an exec of another file once a later drain has not mended it.
    const TrustVerdict kernel = JudgeKernelRecord(process.kernel, file, m_source.execsReported(file));
    if (kernel == TrustVerdict::Traced || (kernel != TrustVerdict::Trusted && record.kernelDoubt))
        return record.lasting = kernel;
    record.kernelDoubt = kernel != TrustVerdict::Trusted;
    if (!record.hasFirstFile) {
        record.firstFile = file;
        record.hasFirstFile = true;
    }
    if (record.linkChanged || record.firstFile != file)
        return record.lasting = TrustVerdict::LinkChanged;
    if (!m_systemPreload)
        m_systemPreload = m_source.systemPreload();
    if (*m_systemPreload)
        return TrustVerdict::SystemPreload;
    // An inspection that failed vouches for nothing: listed while held, then
    // tried again, whatever an earlier inspection found.
    if (record.unreadable)
        return m_now - record.inspectedAt < m_memory.unreadableHold ? TrustVerdict::Unreadable
                                                                     : inspected(process, record, file);
    if (!m_memory.due(process, record, m_now))
        return record.verdict;
    return inspected(process, record, file);
}

TrustVerdict TrustCheck::inspected(const ProcessInfo& process, TrustMemory::Record& record, const FileId& file)
{
    std::optional<ProcessInside> inside = m_source.inspect(process);
    // The thread it was read through may have ended between two reads (a
    // process on its way out): once more, through one that lives.
    if (!inside)
        inside = m_source.inspect(process);
    TrustVerdict verdict = inside ? JudgeInside(*inside, file) : TrustVerdict::Unreadable;
    // Inside exec, the kernel names the new program before it maps it; a
    // moment later it is mapped. A forged link stays unmapped, and costs
    // these waits once in its life.
    for (int retry = 0;
         retry < 2 && (verdict == TrustVerdict::ProgramNotMapped || verdict == TrustVerdict::LoaderNotMapped);
         ++retry) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        inside = m_source.inspect(process);
        verdict = inside ? JudgeInside(*inside, file) : TrustVerdict::Unreadable;
    }
    if (verdict != TrustVerdict::Trusted) {
        // A process that ended meanwhile leaves nothing (or half its memory)
        // to read: its path decides, as it did when it ran.
        bool ended = false;
        m_source.runningFile(process, ended);
        if (ended)
            return TrustVerdict::Trusted;
    }
    record.inspectedAt = m_now;
    record.unreadable = !inside;
    if (!inside)
        return record.verdict = verdict;   // asked again once unreadableHold has passed
    record.hasOwner = inside->owner.has_value();
    record.owner = inside->owner.value_or(0);
    if (!record.inspected)
        m_memory.firstInspected(process, record);
    record.inspected = true;
    if (IsLasting(verdict))
        record.lasting = verdict;
    return record.verdict = verdict;
}

} // namespace zerva
