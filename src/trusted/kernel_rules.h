#pragma once

#include "platform/os/process_source.h"
#include "trusted/trust_verdict.h"

namespace zerva {

// Whether what the kernel reported of a process that runs a trusted file
// (`program`) lets it be trusted; the other tests come after. In order:
// - no tracer may ever have attached to it: a tracer can run any code in
//   it, and may detach before anyone looks;
// - a process that began while the kernel's events were followed must run
//   the very file the kernel executed for it (or for the process it was
//   forked from, with no exec since): a program link that names another
//   file was set by hand.
// The second holds only where the kernel reports every exec of `program`
// (`execsReported`); a record that knows nothing (Exec::Unknown: the
// process began before, or events were lost) leaves the decision to the
// other tests.
TrustVerdict JudgeKernelRecord(const KernelRecord& record, const FileId& program, bool execsReported);

} // namespace zerva
