#pragma once

#include <atomic>
#include <thread>
#include <vector>

namespace zerva::test {

// Keeps the process table busy while it lives: `spawners` threads start and
// reap /bin/true in batches as fast as they can, and one more thread starts
// and joins short-lived threads of this process, so that thread counts
// change too.
class ProcessChurn {
public:
    explicit ProcessChurn(int spawners = 1);
    ~ProcessChurn();
    ProcessChurn(const ProcessChurn&) = delete;
    ProcessChurn& operator=(const ProcessChurn&) = delete;

    // Processes started and reaped so far, and threads started so far.
    long processes() const { return m_processes.load(); }
    long threads() const { return m_threads.load(); }
    // Spawns that failed (fork limits, say); a working churn keeps this 0.
    long failures() const { return m_failures.load(); }

private:
    void spawnLoop();
    void threadLoop();

    std::atomic<bool> m_stop{false};
    std::atomic<long> m_processes{0};
    std::atomic<long> m_threads{0};
    std::atomic<long> m_failures{0};
    std::vector<std::thread> m_workers;
};

} // namespace zerva::test
