#pragma once

namespace zerva::test {

// `windows_platform_test.exe --selfcheck`: run once on a Windows machine,
// it prints for a bug report which process source Zerva takes there and
// which of the system calls behind it answered, and how (counts only: no
// other process's path or command line). Exit code 0 when Zerva's own row
// came out right.
int SelfCheck();

} // namespace zerva::test
