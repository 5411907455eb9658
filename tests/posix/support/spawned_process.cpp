#include "posix/support/spawned_process.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zerva::test {

SpawnedProcess::SpawnedProcess(const std::string& program, const std::vector<std::string>& args, Input input)
{
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    // Both ends close on exec; the child gets the reading end as its
    // standard input through dup2, which clears that flag on the copy.
    int fds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    if (input == Input::Pipe) {
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            ::posix_spawn_file_actions_destroy(&actions);
            return;
        }
        ::posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    }
    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0)
        m_pid = pid;
    ::posix_spawn_file_actions_destroy(&actions);
    if (fds[0] >= 0)
        ::close(fds[0]);
    m_input = fds[1];
}

SpawnedProcess::~SpawnedProcess()
{
    end();
}

void SpawnedProcess::end()
{
    if (m_input >= 0)
        ::close(m_input);
    m_input = -1;
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}

bool SpawnedProcess::writeInput(const std::string& bytes)
{
    return m_input >= 0 && ::write(m_input, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

std::string SpawnedProcess::exePath() const
{
    char buf[PATH_MAX];
    const std::string link = "/proc/" + std::to_string(m_pid) + "/exe";
    const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

bool CopyUnsynced(const std::string& from, const std::string& to)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0755);
    bool ok = in >= 0 && out >= 0;
    char buf[65536];
    while (ok) {
        const ssize_t n = ::read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < n;) {
            const ssize_t w = ::write(out, buf + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            ok = w > 0;
            done += w > 0 ? w : 0;
        }
    }
    if (in >= 0)
        ::close(in);
    // Closed before it runs: a file open for writing cannot be run.
    if (out >= 0 && ::close(out) != 0)
        ok = false;
    return ok;
}

} // namespace zerva::test
