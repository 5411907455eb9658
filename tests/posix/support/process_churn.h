#pragma once

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace zerva::test {

// Keeps the process table busy while it lives: `spawners` threads start and
// reap `command` (by default /bin/true, which ends at once) in batches as fast
// as they can, and one more thread starts and joins short-lived threads of
// this process, so that thread counts change too. A command that lives a
// while (a sleep of a few tenths of a second) is sure to be seen by a
// refresh, however slow a loaded machine or a sanitizer makes it.
class ProcessChurn {
public:
    explicit ProcessChurn(int spawners = 1, std::vector<std::string> command = {"/bin/true"});
    ~ProcessChurn();
    ProcessChurn(const ProcessChurn&) = delete;
    ProcessChurn& operator=(const ProcessChurn&) = delete;

    // Processes started and reaped so far, and threads started so far.
    long processes() const { return m_processes.load(); }
    long threads() const { return m_threads.load(); }
    // Spawns that failed (fork limits, say); a working churn keeps this 0.
    long failures() const { return m_failures.load(); }
    // The last processes reaped (a thousand at most), oldest first, whose
    // pids this churn has not started anything under since: they have
    // ended, and no list made after this call may show them under its
    // command, unless the pid was taken again meanwhile (see the call
    // after the list). Each with its place in the order of reaping, which
    // tells two processes under one pid apart.
    struct Ended {
        pid_t pid;
        long reaped;
        bool operator==(const Ended&) const = default;
    };
    std::vector<Ended> ended() const;

private:
    void spawnLoop();
    void threadLoop();

    std::vector<std::string> m_command;
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_processes{0};
    std::atomic<long> m_threads{0};
    std::atomic<long> m_failures{0};
    mutable std::mutex m_endedMutex;
    std::deque<Ended> m_ended;
    long m_reaped = 0;   // under m_endedMutex
    std::vector<std::thread> m_workers;
};

} // namespace zerva::test
