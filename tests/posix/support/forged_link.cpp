#include "posix/support/forged_link.h"

#include <csignal>
#include <sched.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zerva::test {

namespace {

prctl_mm_map g_map;

int setLink(void*)
{
    return ::prctl(PR_SET_MM, PR_SET_MM_MAP, &g_map, sizeof g_map, 0) == 0 ? 0 : 1;
}

} // namespace

extern "C" void ForgeProgramLink(int exeFd, int goFd, const unsigned long* ranges, int count, prctl_mm_map map, bool mapExe)
{
    char c;
    while (::read(goFd, &c, 1) < 0) {
    }
    constexpr std::size_t stackSize = 256 * 1024;
    void* stack = ::mmap(nullptr, stackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    g_map = map;
    g_map.exe_fd = static_cast<__u32>(exeFd);
    g_map.brk = static_cast<__u64>(::syscall(SYS_brk, 0));
    for (int i = 0; i < count; ++i)
        ::munmap(reinterpret_cast<void*>(ranges[2 * i]), ranges[2 * i + 1] - ranges[2 * i]);
    struct stat st {};
    if (mapExe && ::fstat(exeFd, &st) == 0 && st.st_size > 0)
        ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ | PROT_EXEC, MAP_PRIVATE, exeFd, 0);
    if (stack != MAP_FAILED) {
        const pid_t child = ::clone(setLink, static_cast<char*>(stack) + stackSize, CLONE_VM | CLONE_NEWUSER | SIGCHLD,
                                    nullptr);
        if (child > 0)
            ::waitpid(child, nullptr, 0);
    }
    for (;;)
        ::pause();
}

} // namespace zerva::test
