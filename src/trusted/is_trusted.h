#pragma once

#include <QMultiHash>
#include <QString>

#include <functional>

namespace zerva {

class ListView;

// Whether the process runs the very file that the trusted entry `entry`
// names (see SameFile).
using RunsFile = std::function<bool(const QString& entry)>;

// Whether the process with this executable path is to be left out of the
// process list. `path` is replaced by its lower-case form. Never trusted
// while "Guvenilirleri goster" (check1Value == 1) is ticked.
//
// This is the one place that decides what trusted means. A process is
// trusted only when its path equals an entry of `trList` as a whole, letter
// case ignored, and it runs the very file that entry names (`runsFile`).
// A path that is merely the beginning of an entry (c:\app\a.exe against
// c:\app\a.exe.bak, /usr/bin/py against /usr/bin/python3) is not: otherwise
// anyone could hide a program by naming it after the start of a trusted
// path. An empty path is never trusted.
//
// Case is ignored so that entries written on Windows keep working. Letters
// that lower-case alike (the Kelvin sign and k) or paths that differ only in
// case name different files on Linux, and the file test tells them apart;
// on Windows the system's own comparison of names does (SamePathSpelling).
// Where no file test exists (Windows), a path with a component that mixes
// Latin with Cyrillic or Greek letters (see MixedScriptReason) matches only
// an entry written exactly as it is, letter case included.
//
// `path` is the path as the system gives it, never the text a window shows
// for it (which escapes what could pass for something else): an entry is
// the program's own path, whatever characters it holds.
//
// An entry that leads elsewhere (a symbolic link, see LinkEntries) trusts
// the file it leads to: `linkTargets` holds such entries by where they lead
// now, and a path equal to that, exactly, is tried against them too.
bool IsTrusted(QString& path, int check1Value, const ListView& trList, const RunsFile& runsFile,
               const QMultiHash<QString, QString>* linkTargets = nullptr);

} // namespace zerva
