#include "long_command_lines.h"
#include "measure.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace zerva::bench {

namespace {

pid_t spawn(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    return ::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

void end(pid_t pid)
{
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// The most Zerva held over `seconds`, sampled four times a second, and what
// it held at the end.
long watch(pid_t zerva, double seconds, long& last)
{
    long most = -1;
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        last = ResidentKiB(zerva);
        most = std::max(most, last);
    }
    return most;
}

} // namespace

LongCommandLines MeasureLongCommandLines(const char* exe, int processes, int bytes)
{
    LongCommandLines result;
    const pid_t zerva = spawn({exe});
    if (zerva < 0)
        return result;
    long last = -1;
    watch(zerva, 10, last);   // started, refreshing every half second, settled
    result.baselineKiB = last;

    // sleep adds up its arguments: "000...0" is one more second of none.
    const std::string zeros(static_cast<std::size_t>(std::max(1, bytes - 16)), '0');
    std::vector<pid_t> long_;
    for (int i = 0; i < processes; ++i)
        if (const pid_t pid = spawn({"/bin/sleep", "1000", zeros}); pid > 0)
            long_.push_back(pid);
    result.started = static_cast<int>(long_.size());
    result.duringKiB = watch(zerva, 4, last);
    for (const pid_t pid : long_)
        end(pid);
    watch(zerva, 10, last);
    result.afterKiB = last;
    end(zerva);
    return result;
}

} // namespace zerva::bench
