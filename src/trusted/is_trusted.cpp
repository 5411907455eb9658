#include "trusted/is_trusted.h"

#include "platform/controls/list_view.h"
#include "platform/controls/trap.h"
#include "platform/os/path_spelling.h"
#include "trusted/lower_case.h"

namespace zerva {

namespace {

std::u16string_view view(const QString& text)
{
    // QChar is one UTF-16 code unit.
    return {reinterpret_cast<const char16_t*>(text.constData()), static_cast<std::size_t>(text.size())};
}

} // namespace

bool IsTrusted(QString& path, int check1Value, const ListView& trList, const RunsFile& runsFile)
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
        // Entries are keyed by the same lower-casing as the path; of several
        // alike entries, one that names the running file and that the system
        // spells alike is enough.
        for (const int row : trList.items().rowsWithKey(path, &LowerCase)) {
            const QString entry = trList.text(row);
            if (runsFile(entry) && SamePathSpelling(view(spelled), view(entry))) {
                trusted = true;
                return;
            }
        }
    });
    return trusted;
}

} // namespace zerva
