#pragma once

namespace zerva {

class CheckBox;
class ListView;
class ProcessSource;
class RowTexts;

// Empties `list` and fills it with a fresh snapshot from `source`: one row
// per shown process with its caption, path and details block. A process
// with a path is left out when IsTrusted says so; one without a path is
// listed, caption only, while `check1` ("Guvenilirleri goster") is ticked,
// unless it hid its path (ProcessInfo::pathSuspect): that one is always
// listed, with an empty path and its details block.
//
// Each row's key is its process's id and start time. `texts`, when given,
// keeps the rows' texts from one call to the next (see RowTexts).
void ListProcesses(ListView& list, ProcessSource& source, const CheckBox& check1, const ListView& trList,
                   RowTexts* texts = nullptr);

} // namespace zerva
