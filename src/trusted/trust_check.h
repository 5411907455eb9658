#pragma once

#include "trusted/same_file.h"
#include "trusted/trust_memory.h"
#include "trusted/trust_verdict.h"

#include <optional>

namespace zerva {

// The whole trust test of one process against one trusted entry its path
// equals, for one refresh: it must run the very file the entry names
// (SameFile), what the kernel reported of it must allow it
// (JudgeKernelRecord), its program link must be the one it had when first
// seen, and nothing else may run in it (JudgeInside). The inspection reads several
// files of the process, so it is made only here, for processes that would
// otherwise be hidden, and repeated at most every TrustMemory::recheckAfter;
// the link tests run at every refresh.
class TrustCheck {
public:
    TrustCheck(const ProcessSource& source, TrustMemory& memory);

    TrustVerdict verdict(const ProcessInfo& process, const QString& entry);

private:
    TrustVerdict inspected(const ProcessInfo& process, TrustMemory::Record& record, const FileId& file);

    const ProcessSource& m_source;
    TrustMemory& m_memory;
    SameFile m_sameFile;
    std::optional<bool> m_systemPreload;   // read once per refresh
    TrustMemory::Clock::time_point m_now;
};

} // namespace zerva
