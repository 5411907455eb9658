#include "trusted/is_trusted.h"

#include "platform/controls/list_view.h"
#include "platform/controls/trap.h"
#include "trusted/lower_case.h"
#include "trusted/mixed_script.h"

#include <optional>

namespace zerva {

bool IsTrusted(QString& path, int check1Value, const ListView& trList, const RunsFile& runsFile)
{
    bool trusted = false;
    // Any failure while testing means "not trusted".
    Trap([&] {
        const QString written = path;
        path = LowerCase(path);
        if (check1Value == 1 || path.isEmpty())
            return;
        // A look-alike path is trusted only by an entry written exactly as
        // it is: case folding is where scripts meet.
        std::optional<bool> exact;   // asked only when an entry matches
        // Entries are keyed by the same lower-casing as the path; of several
        // alike entries, one that names the running file is enough.
        for (const int row : trList.items().rowsWithKey(path, &LowerCase)) {
            if (!exact)
                exact = !MixedScriptReason(written).isEmpty();
            if (*exact && trList.text(row) != written)
                continue;
            if (runsFile(trList.text(row))) {
                trusted = true;
                return;
            }
        }
    });
    return trusted;
}

} // namespace zerva
