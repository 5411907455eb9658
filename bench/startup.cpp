#include "startup.h"

#include <chrono>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zerva::bench {

StartUp TimeToFirstPaint(const char* exe)
{
    StartUp result;
    int out[2];
    if (::pipe(out) != 0)
        return result;
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0)
        return result;
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
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (!painted)
        return result;
    auto ms = [](const timeval& tv) {
        return static_cast<double>(tv.tv_sec) * 1e3 + static_cast<double>(tv.tv_usec) / 1e3;
    };
    result.wallMs = std::chrono::duration<double, std::milli>(t1 - t0).count();
    result.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    return result;
}

} // namespace zerva::bench
