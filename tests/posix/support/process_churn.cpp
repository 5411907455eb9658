#include "posix/support/process_churn.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace zerva::test {

ProcessChurn::ProcessChurn(int spawners, std::vector<std::string> command) : m_command(std::move(command))
{
    for (int i = 0; i < spawners; ++i)
        m_workers.emplace_back([this] { spawnLoop(); });
    m_workers.emplace_back([this] { threadLoop(); });
}

ProcessChurn::~ProcessChurn()
{
    m_stop = true;
    for (std::thread& t : m_workers)
        t.join();
}

void ProcessChurn::spawnLoop()
{
    // Batches, so that several children are alive (and dying) at once.
    std::vector<std::string> command = m_command;
    std::vector<char*> argv;
    for (std::string& a : command)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const char* const program = argv.front();
    while (!m_stop) {
        pid_t batch[16];
        int started = 0;
        for (pid_t& pid : batch) {
            if (::posix_spawn(&pid, program, nullptr, nullptr, argv.data(), environ) == 0) {
                ++started;
                // Its pid, taken again, names a live process now.
                const std::lock_guard lock(m_endedMutex);
                m_ended.erase(std::remove_if(m_ended.begin(), m_ended.end(), [pid](const Ended& e) { return e.pid == pid; }),
                              m_ended.end());
            } else
                pid = -1, ++m_failures;
        }
        for (pid_t pid : batch) {
            int status = 0;
            while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            if (pid > 0) {
                const std::lock_guard lock(m_endedMutex);
                m_ended.push_back({pid, ++m_reaped});
                if (m_ended.size() > 1000)
                    m_ended.pop_front();
            }
        }
        m_processes += started;
    }
}

std::vector<ProcessChurn::Ended> ProcessChurn::ended() const
{
    const std::lock_guard lock(m_endedMutex);
    return {m_ended.begin(), m_ended.end()};
}

void ProcessChurn::threadLoop()
{
    while (!m_stop) {
        std::vector<std::thread> batch;
        for (int i = 0; i < 8; ++i)
            batch.emplace_back([] {});
        for (std::thread& t : batch)
            t.join();
        m_threads += 8;
        // Leaves the cores to the spawners and the code under test.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace zerva::test
