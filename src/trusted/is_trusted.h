#pragma once

#include <QString>

namespace zerva {

class ListView;

// Whether the process with this executable path is to be left out of the
// process list. `path` is replaced by its lower-case form. Never trusted
// while "Guvenilirleri goster" (check1Value == 1) is ticked.
//
// A path is trusted only when it equals an entry of `trList` as a whole,
// letter case ignored. A path that is merely the beginning of an entry
// (c:\app\a.exe against c:\app\a.exe.bak, /usr/bin/py against
// /usr/bin/python3) is not: otherwise anyone could hide a program by naming
// it after the start of a trusted path. An empty path is never trusted.
//
// Case is ignored so that entries written on Windows keep working. On Linux
// that lets /home/u/bin/TOOL pass for a trusted /home/u/bin/tool, but whoever
// can create the one beside the other can also replace the trusted file
// itself, so it opens no new hole.
bool IsTrusted(QString& path, int check1Value, const ListView& trList);

} // namespace zerva
