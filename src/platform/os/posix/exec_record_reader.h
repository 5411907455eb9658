#pragma once

#include "platform/os/exec_watch.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zerva {

class ExecEvents;

// Every exec the kernel reports (ExecEvents), read from /proc the moment it
// arrives: a program that lives a few milliseconds is gone by the next
// refresh. A thread of its own waits on the kernel's socket, so that
// neither a long refresh delays the reading nor an exec storm the window;
// it hands its reads over through a queue of at most `backlog` entries
// (beyond that they count as lost), and take() hands out a bounded number
// per call.
//
// Only root is told of every exec: for another user nothing is opened and
// state() is NeedsRoot.
class ExecRecordReader : public ExecWatch {
public:
    static constexpr std::size_t DefaultBacklog = 10000;

    explicit ExecRecordReader(std::string root = "/proc", std::size_t backlog = DefaultBacklog);
    ~ExecRecordReader() override;
    ExecRecordReader(const ExecRecordReader&) = delete;
    ExecRecordReader& operator=(const ExecRecordReader&) = delete;

    State state() const override { return m_state.load(); }
    bool take(std::vector<ExecSeen>& out, std::size_t limit) override;

    // What /proc (open as `procFd`) tells now of process `pid`, its exec at
    // `at`: parent, user, program, command line head, start time. Whatever
    // cannot be read stays null.
    static ExecSeen read(int procFd, std::int64_t pid);

private:
    void run();
    // Reads the execs of one drain and queues them.
    void readBatch(bool lost);
    const std::optional<std::string>& account(unsigned user);

    std::unique_ptr<ExecEvents> m_events;
    int m_procFd = -1;
    int m_wake[2] = {-1, -1};
    std::atomic<State> m_state{State::NeedsRoot};
    std::atomic<bool> m_stop{false};
    std::size_t m_backlog;
    // The thread's own: the execs of the drain being read (pid, kernel time).
    std::vector<std::pair<std::int64_t, std::uint64_t>> m_batch;
    // User names, looked up once per user (the database may be remote).
    std::unordered_map<unsigned, std::optional<std::string>> m_accounts;

    std::mutex m_mutex;
    std::deque<ExecSeen> m_ready;
    bool m_lost = false;

    std::thread m_thread;
};

} // namespace zerva
