#include "windows/trusted_entry_item.h"

#include "platform/controls/left_to_right.h"
#include "process/display_text.h"
#include "trusted/interpreter_check.h"
#include "trusted/mixed_script.h"

namespace zerva {

TrustedEntryItem MakeTrustedEntryItem(const QString& entry, const InterpreterCheck& interpreters)
{
    TrustedEntryItem item;
    // Nothing in an entry can pass for another entry or another line.
    item.text = DisplayText(entry.toUtf8().toStdString());
    item.drawn = LeftToRight(item.text);
    if (const QString reason = MixedScriptReason(item.text); !reason.isEmpty())
        item.warnings.push_back(reason);
    if (interpreters.runsScripts(entry))
        item.warnings.push_back(InterpreterCheck::Warning());
    return item;
}

} // namespace zerva
