#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace zerva {

// Writes entries of the trusted-program file so that KvrReader reads every
// one of them back exactly as it was. Pure: no file access.
//
// An entry is written in double quotes when it holds a comma, begins or
// ends with a blank (space or tab), or begins with a double quote or with
// U+FEFF (which would pass for a byte order mark at the start); every
// other entry is written as it stands. Each line ends with CR LF, the last
// one included.

// Whether some line reads back as exactly this entry: it holds no line end,
// and when it needs quotes, no double quote in it is followed (blanks
// aside) by a comma, which would end the quoted field there.
bool KvrCanHold(QStringView entry);

// The line (without its line end) for one entry, or nothing when no line
// can hold it.
std::optional<QString> FormatKvrEntry(QStringView entry);

// The whole text of a file of these entries, or nothing when one of them
// cannot be held.
std::optional<QString> FormatKvr(const QStringList& entries);

// Whether a newly typed entry is taken: not empty, and free of line ends
// and of a double quote together with a comma. The rule is plainer than
// KvrCanHold, so that what is taken does not depend on where in the path
// the quote stands.
bool KvrAcceptsNewEntry(QStringView entry);

} // namespace zerva
