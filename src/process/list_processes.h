#pragma once

namespace zerva {

class CheckBox;
class ListView;
class ProcessSource;
class TrustMemory;

// Empties `list` and fills it with a fresh snapshot from `source`: one row
// per shown process with its caption, path and details block. A process
// with a path is left out when IsTrusted says so; one without a path is
// listed, caption only, while `check1` ("Guvenilirleri goster") is ticked,
// unless it hid its path (ProcessInfo::pathSuspect): that one is always
// listed, with an empty path and its details block.
//
// A process listed although its path is trusted (TrustCheck found that it
// runs another file or something else besides), or one that hid its path,
// carries the reason as its row's warning. `memory` keeps what the trust
// test learnt of each process for the next call; without it, every process
// is inspected afresh.
void ListProcesses(ListView& list, ProcessSource& source, const CheckBox& check1, const ListView& trList,
                   TrustMemory* memory = nullptr);

} // namespace zerva
