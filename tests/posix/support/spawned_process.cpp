#include "posix/support/spawned_process.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zerva::test {

SpawnedProcess::SpawnedProcess(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0)
        m_pid = pid;
}

SpawnedProcess::~SpawnedProcess()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
}

std::string SpawnedProcess::exePath() const
{
    char buf[PATH_MAX];
    const std::string link = "/proc/" + std::to_string(m_pid) + "/exe";
    const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

} // namespace zerva::test
