#include "process/list_processes.h"

#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/os/process_source.h"
#include "platform/controls/trap.h"
#include "process/row_texts.h"
#include "trusted/is_trusted.h"
#include "trusted/mixed_script.h"
#include "trusted/trust_check.h"
#include "trusted/trust_memory.h"


namespace zerva {

HiddenCount ListProcesses(ListView& list, ProcessSource& source, const CheckBox& check1, const ListView& trList,
                          TrustMemory* memory, RowTexts* texts,
                          const std::function<void(const ProcessInfo&)>& read)
{
    ListFill fill(list);
    list.clear();
    HiddenCount hidden;

    RowTexts onceTexts;
    RowTexts& made = texts ? *texts : onceTexts;

    TrustMemory once;
    TrustMemory& remembered = memory ? *memory : once;
    remembered.beginRefresh();
    TrustCheck trustCheck(source, remembered);
    // Where the entries that are links lead, looked up once for the refresh.
    static const QMultiHash<QString, QString> noLinks;
    const QMultiHash<QString, QString>& links = check1.value() == 1 ? noLinks : remembered.links.targets(trList);
    // Each process as it is read: the whole list is never held.
    const auto each = [&](const ProcessInfo& p) {
        if (read)
            Trap([&] { read(p); });
        // One process that cannot be listed must not cost the others theirs.
        Trap([&] {
            // A process left out for want of a path costs no texts.
            if (!p.executablePath && !p.pathSuspect) {
                if (check1.value() == 1) {
                    const int row = list.add(made.of(p).caption);
                    list.setKey(row, p.pid);
                    if (p.startTime)
                        list.setStarted(row, static_cast<qint64>(*p.startTime));
                } else if (p.noProgram == ProcessInfo::NoProgram::KernelThread) {
                    ++hidden.kernelThreads;
                } else if (p.noProgram == ProcessInfo::NoProgram::Ending) {
                    ++hidden.ending;
                } else {
                    ++hidden.notReadable;
                }
                return;
            }
            // A process that hid its program gets a full row with an empty
            // path, which nothing trusts.
            if (p.executablePath)
                remembered.see(p);   // its first link, for a later change
            const RowTexts::Texts& row = made.of(p);
            const QString& path = row.path;
            // The path itself decides, not its text on screen; one that is
            // not UTF-8 is no entry's, and is empty here.
            QString copy = row.entryPath();   // IsTrusted lower-cases its argument
            TrustVerdict verdict = p.pathSuspect ? TrustVerdict::ProgramHidden : TrustVerdict::Trusted;
            const auto runsFile = [&](const QString& entry) {
                verdict = trustCheck.verdict(p, entry);
                return verdict == TrustVerdict::Trusted;
            };
            if (IsTrusted(copy, check1.value(), trList, runsFile, &links)) {
                ++hidden.trusted;
                return;
            }
            const int at = list.add(row.caption);
            list.setKey(at, p.pid);
            if (p.startTime)
                list.setStarted(at, static_cast<qint64>(*p.startTime));
            list.setSubItem(at, 1, path);
            if (p.executablePath)
                list.setTag(at, row.entryPath());
            list.setSubItem(at, 2, row.values);
            if (verdict != TrustVerdict::Trusted)
                list.addWarning(at, WarningText(verdict));
            if (const QString reason = MixedScriptReason(path); !reason.isEmpty())
                list.addWarning(at, reason);
        });
    };
    // An unreachable source leaves the list empty; one that fails midway,
    // the rows read so far.
    Trap([&] { source.scan(each); });
    made.sweep();
    remembered.endRefresh();
    return hidden;
}

QString HiddenText(const HiddenCount& hidden)
{
    QString text = QString::number(hidden.total()) + QStringLiteral(" gizli");
    const struct {
        int count;
        const char* reason;
    } reasons[] = {
        {hidden.trusted, "guvenilir"},
        {hidden.notReadable, "bakilamayan"},
        {hidden.kernelThreads, "cekirdek is parcacigi"},
        {hidden.ending, "sonlanmakta olan"},
    };
    QString separator = QStringLiteral(": ");
    for (const auto& r : reasons) {
        if (r.count == 0)
            continue;
        text += separator + QString::number(r.count) + u' ' + QLatin1String(r.reason);
        separator = QStringLiteral(", ");
    }
    return text;
}

} // namespace zerva
