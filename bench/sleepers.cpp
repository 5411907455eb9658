#include "sleepers.h"

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zerva::bench {

Sleepers::Sleepers(int count)
{
    m_pids.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const pid_t pid = ::fork();
        if (pid < 0) {
            std::perror("fork");
            break;
        }
        if (pid == 0) {
            // Ends with the benchmark even if it is killed.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::execlp("sleep", "sleep", "3600", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        m_pids.push_back(pid);
    }
}

Sleepers::~Sleepers()
{
    for (const pid_t pid : m_pids)
        ::kill(pid, SIGKILL);
    for (const pid_t pid : m_pids)
        ::waitpid(pid, nullptr, 0);
}

} // namespace zerva::bench
