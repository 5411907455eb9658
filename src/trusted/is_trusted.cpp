#include "trusted/is_trusted.h"

#include "platform/controls/list_view.h"
#include "platform/controls/trap.h"
#include "platform/os/path_spelling.h"
#include "trusted/lower_case.h"
#include "trusted/mixed_script.h"

#include <optional>

namespace zerva {

namespace {

std::u16string_view view(const QString& text)
{
    // QChar is one UTF-16 code unit.
    return {reinterpret_cast<const char16_t*>(text.constData()), static_cast<std::size_t>(text.size())};
}

} // namespace

bool IsTrusted(QString& path, int check1Value, const ListView& trList, const RunsFile& runsFile,
               const QMultiHash<QString, QString>* linkTargets)
{
    bool trusted = false;
    // Any failure while testing means "not trusted".
    Trap([&] {
        // The spelling as the process gave it: lower-casing may fold
        // letters the system tells apart.
        const QString spelled = path;
        path = LowerCase(path);
        if (check1Value == 1 || path.isEmpty())
            return;
        // A look-alike path is trusted only by an entry written exactly as
        // it is: case folding is where scripts meet.
        std::optional<bool> exact;   // asked only when an entry matches
        // Entries are keyed by the same lower-casing as the path; of several
        // alike entries, one that names the running file and that the system
        // spells alike is enough.
        for (const int row : trList.items().rowsWithKey(path, &LowerCase)) {
            if (!exact)
                exact = !MixedScriptReason(spelled).isEmpty();
            const QString entry = trList.text(row);
            if (*exact && entry != spelled)
                continue;
            if (runsFile(entry) && SamePathSpelling(view(spelled), view(entry))) {
                trusted = true;
                return;
            }
        }
        // The system names a program by its file's own path, never by a
        // link to it; both sides here come from the system, so they are
        // compared exactly.
        if (!linkTargets)
            return;
        for (auto [it, end] = linkTargets->equal_range(spelled); it != end; ++it) {
            if (runsFile(it.value())) {
                trusted = true;
                return;
            }
        }
    });
    return trusted;
}

} // namespace zerva
