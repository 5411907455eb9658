#include "process/list_processes.h"

#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/os/process_source.h"
#include "platform/controls/trap.h"
#include "process/row_texts.h"
#include "trusted/is_trusted.h"
#include "trusted/same_file.h"

#include <vector>

namespace zerva {

void ListProcesses(ListView& list, ProcessSource& source, const CheckBox& check1, const ListView& trList,
                   RowTexts* texts)
{
    ListFill fill(list);
    list.clear();

    std::vector<ProcessInfo> processes;
    if (!Trap([&] { source.snapshot(processes); }))
        return;   // an unreachable source leaves the list empty

    RowTexts once;
    RowTexts& made = texts ? *texts : once;

    SameFile sameFile(source);
    for (const ProcessInfo& p : processes) {
        // One process that cannot be listed must not cost the others theirs.
        Trap([&] {
            // The caption is decoded only for rows that are really added.
            if (!p.executablePath && !p.pathSuspect) {
                if (check1.value() == 1)
                    list.setKey(list.add(made.caption(p)), p.pid, p.startTime);
                return;
            }
            // A process that hid its program gets a full row with an empty
            // path, which nothing trusts.
            const QString& path = made.path(p);
            QString copy = path;   // IsTrusted lower-cases its argument
            if (IsTrusted(copy, check1.value(), trList, [&](const QString& entry) { return sameFile.runs(p, entry); }))
                return;
            const int row = list.add(made.caption(p));
            list.setKey(row, p.pid, p.startTime);
            list.setSubItem(row, 1, path);
            list.setSubItem(row, 2, made.details(p));
        });
    }
    made.sweep();
}

} // namespace zerva
