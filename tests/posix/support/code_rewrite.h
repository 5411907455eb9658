#pragma once

#include <QString>

#include <sys/types.h>

namespace zerva::test {

// Rewrites the first bytes of `pid`'s code from `program` with themselves,
// through /proc/PID/mem: the code stays the same, but its page is now the
// process's own copy.
bool RewriteCode(pid_t pid, const QString& program);

} // namespace zerva::test
