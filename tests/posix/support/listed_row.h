#pragma once

#include "platform/controls/list_view.h"

#include <QString>

#include <optional>

namespace zerva::test {

// The row of process `pid` in `list`, if listed.
std::optional<int> RowOf(const ListView& list, qint64 pid);
// The warning of process `pid`'s row; "hidden" when it is not listed.
QString WarningOf(const ListView& list, qint64 pid);

} // namespace zerva::test
