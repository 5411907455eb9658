#include "trusted/is_trusted.h"

#include "platform/controls/list_view.h"
#include "platform/controls/trap.h"
#include "trusted/lower_case.h"

namespace zerva {

bool IsTrusted(QString& path, int check1Value, const ListView& trList)
{
    bool trusted = false;
    // Any failure while testing means "not trusted".
    Trap([&] {
        path = LowerCase(path);
        if (check1Value == 1 || path.isEmpty())
            return;
        trusted = trList.findItem(path, ListView::Match::WholeWord).has_value();
    });
    return trusted;
}

} // namespace zerva
