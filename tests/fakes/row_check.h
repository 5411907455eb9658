#pragma once

#include <QString>

namespace zerva {
class ListView;
}

namespace zerva::test {

// Empty when row `row` of a process list is whole: either a full row (a
// path in sub-item 1, empty only for a process that hid its program, and
// the complete seven-line details block, whose "Baslik" line repeats the
// caption) or, when `captionOnlyAllowed`, a row
// holding only a caption. Otherwise says what is missing.
QString RowFault(const ListView& list, int row, bool captionOnlyAllowed);

// The first fault of any row of `list`, prefixed with the row's caption.
QString ListFault(const ListView& list, bool captionOnlyAllowed);

} // namespace zerva::test
