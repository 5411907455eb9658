#include "process/list_processes.h"

#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/os/process_source.h"
#include "platform/controls/trap.h"
#include "process/details_block.h"
#include "process/display_text.h"
#include "trusted/is_trusted.h"
#include "trusted/trust_check.h"
#include "trusted/trust_memory.h"

#include <vector>

namespace zerva {

void ListProcesses(ListView& list, ProcessSource& source, const CheckBox& check1, const ListView& trList,
                   TrustMemory* memory)
{
    ListFill fill(list);
    list.clear();

    std::vector<ProcessInfo> processes;
    if (!Trap([&] { source.snapshot(processes); }))
        return;   // an unreachable source leaves the list empty

    TrustMemory once;
    TrustMemory& remembered = memory ? *memory : once;
    remembered.beginRefresh();
    TrustCheck trustCheck(source, remembered);
    for (const ProcessInfo& p : processes) {
        // One process that cannot be listed must not cost the others theirs.
        Trap([&] {
            // The caption is decoded only for rows that are really added.
            const auto caption = [&] { return p.caption ? DisplayText(*p.caption) : QString(); };
            if (!p.executablePath && !p.pathSuspect) {
                if (check1.value() == 1)
                    list.setKey(list.add(caption()), p.pid);
                return;
            }
            // A process that hid its program gets a full row with an empty
            // path, which nothing trusts.
            if (p.executablePath)
                remembered.see(p);   // its first link, for a later change
            const QString path = p.executablePath ? DisplayText(*p.executablePath) : QString();
            QString copy = path;   // IsTrusted lower-cases its argument
            TrustVerdict verdict = p.pathSuspect ? TrustVerdict::ProgramHidden : TrustVerdict::Trusted;
            const auto runsFile = [&](const QString& entry) {
                verdict = trustCheck.verdict(p, entry);
                return verdict == TrustVerdict::Trusted;
            };
            if (IsTrusted(copy, check1.value(), trList, runsFile))
                return;
            const int row = list.add(caption());
            list.setKey(row, p.pid);
            list.setSubItem(row, 1, path);
            list.setSubItem(row, 2, DetailsBlock(p));
            if (verdict != TrustVerdict::Trusted)
                list.setWarning(row, WarningText(verdict));
        });
    }
    remembered.endRefresh();
}

} // namespace zerva
