#pragma once

#include <linux/prctl.h>

namespace zerva::test {

// Makes the calling process's program link (/proc/PID/exe) name the file
// open as `exeFd`, as an attacker would, then sleeps for ever; it never
// returns. The kernel takes a new link only from a process in a user
// namespace of its own, and only once the old program is no longer mapped:
// so this waits for a byte on `goFd`, unmaps the `count` address ranges
// [ranges[2i], ranges[2i+1]) of the calling program, and starts a child
// that shares its memory, enters a new user namespace and sets the link
// with prctl(PR_SET_MM, PR_SET_MM_MAP) from `map` (exe_fd is set here).
// With `mapExe` the file is also mapped executable first, so that every
// mapping looks like the trusted program's own run.
// It lives in a library of its own so that its code is still mapped after
// the program's is gone. Call it only in a child forked for it.
extern "C" [[noreturn]] void ForgeProgramLink(int exeFd, int goFd, const unsigned long* ranges, int count,
                                              prctl_mm_map map, bool mapExe);

} // namespace zerva::test
