#include "posix/support/listed_row.h"

namespace zerva::test {

std::optional<int> RowOf(const ListView& list, qint64 pid)
{
    for (int row = 0; row < list.count(); ++row)
        if (list.key(row) == pid)
            return row;
    return std::nullopt;
}

QString WarningOf(const ListView& list, qint64 pid)
{
    const std::optional<int> row = RowOf(list, pid);
    return row ? list.warning(*row) : QStringLiteral("hidden");
}

} // namespace zerva::test
