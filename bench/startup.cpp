#include "startup.h"

#include <chrono>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace zerva::bench {

double TimeToFirstPaintMs(const char* exe)
{
    int out[2];
    if (::pipe(out) != 0)
        return -1;
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::setenv("ZERVA_EXIT_AFTER_FIRST_PAINT", "1", 1);
        ::execl(exe, exe, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    char c = 0;
    const bool painted = ::read(out[0], &c, 1) == 1;
    const auto t1 = std::chrono::steady_clock::now();
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!painted)
        return -1;
    return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

} // namespace zerva::bench
