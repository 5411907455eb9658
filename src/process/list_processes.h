#pragma once

#include <cstddef>

namespace zerva {

// What the lists keep of each command line: its head. The details window
// reads the whole one when it opens (ProcessSource::commandLine), so that
// a thousand processes with 32 KB command lines cost the lists next to
// nothing.
inline constexpr std::size_t ListCommandLineHead = 1024;

class CheckBox;
class ListView;
class ProcessSource;

// Empties `list` and fills it with a fresh snapshot from `source`: one row
// per shown process with its caption, path and details block. A process
// with a path is left out when IsTrusted says so; one without a path is
// listed, caption only, while `check1` ("Guvenilirleri goster") is ticked,
// unless it hid its path (ProcessInfo::pathSuspect): that one is always
// listed, with an empty path and its details block. A row whose path
// mixes scripts in a component gets a warning (MixedScriptReason).
void ListProcesses(ListView& list, ProcessSource& source, const CheckBox& check1, const ListView& trList);

} // namespace zerva
