#include "windows/trusted_entry_item.h"

#include "platform/controls/left_to_right.h"
#include "process/display_text.h"
#include "trusted/entry_target.h"
#include "trusted/interpreter_check.h"
#include "trusted/mixed_script.h"

namespace zerva {

namespace {

// What follows an entry on screen: where it leads when that is another file
// (a link), or a mark when it names no file at all and so hides nothing.
QString EntryNote(const QString& entry)
{
    const std::optional<QString> target = EntryTarget(entry);
    if (!target)
        return QStringLiteral("   (dosya yok)");
    if (*target == entry)
        return QString();
    return QStringLiteral("   -> ") + LeftToRight(DisplayText(target->toStdString()));
}

} // namespace

TrustedEntryItem MakeTrustedEntryItem(const QString& entry, const InterpreterCheck& interpreters)
{
    TrustedEntryItem item;
    // Nothing in an entry can pass for another entry or another line.
    item.text = DisplayText(entry.toUtf8().toStdString());
    item.drawn = LeftToRight(item.text);
    const QString note = EntryNote(entry);
    item.text += note;
    item.drawn += note;
    if (const QString reason = MixedScriptReason(item.text); !reason.isEmpty())
        item.warnings.push_back(reason);
    if (interpreters.runsScripts(entry))
        item.warnings.push_back(InterpreterCheck::Warning());
    return item;
}

} // namespace zerva
