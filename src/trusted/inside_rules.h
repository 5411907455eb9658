#pragma once

#include "platform/os/process_source.h"
#include "trusted/trust_verdict.h"

namespace zerva {

// Whether nothing but its program runs in a process that runs a trusted
// file (`program`), from what inspect() found in it. In order:
// - no thread may be traced: a tracer can run any code in it;
// - no LD_PRELOAD or LD_AUDIT library: it runs before the program;
// - the program file must be mapped executable: otherwise its link was set
//   by hand (prctl PR_SET_MM_MAP) and other code runs;
// - no code page of a file may be changed in memory (/proc/PID/mem, ptrace):
//   a changed page is the process's own copy of it. A page of the file not
//   yet written to disk (a program copied a moment ago, or kept on tmpfs)
//   is the file's, not a change;
// - no code from a deleted file or a memfd, and none from a file that
//   someone other than root or the trusted file's owner may write (an
//   unknown owner counts as such);
// - no executable memory without a file. JIT compilers have it by nature,
//   and it is where injected code lives; the two cannot be told apart, so a
//   trusted program with a JIT is listed.
TrustVerdict JudgeInside(const ProcessInside& inside, const FileId& program);

} // namespace zerva
