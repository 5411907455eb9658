#pragma once

#include <QString>
#include <QStringList>

namespace zerva {

class InterpreterCheck;

// One entry of "Guvenilir Programlar" as it is drawn: the way the main list
// draws a path (the same escapes, the same left-to-right isolation), with a
// warning for an entry that reads like another path (letters of two
// scripts mixed) or that names an interpreter. An entry that is a link is
// followed by where it leads, one that names no file by "(dosya yok)".
struct TrustedEntryItem {
    // Escaped as a process's path is (DisplayText): what is read out.
    QString text;
    // `text` isolated to read left to right (LeftToRight): what is drawn.
    QString drawn;
    // One line each; any of them puts the warning icon before the entry.
    QStringList warnings;
};

// Looks at the file system to follow a link (EntryTarget, and
// InterpreterCheck::runsScripts).
TrustedEntryItem MakeTrustedEntryItem(const QString& entry, const InterpreterCheck& interpreters);

} // namespace zerva
