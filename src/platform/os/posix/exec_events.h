#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace zerva {

// One process event, as the kernel reported it.
struct ProcessEvent {
    enum class Kind : std::uint8_t {
        Fork,     // `pid` was forked from `parent` (a new process, not a thread)
        Exec,     // `pid` started another program
        Attach,   // a tracer attached to or left a thread of `pid` (ptrace)
    };
    Kind kind = Kind::Exec;
    std::int64_t pid = 0;      // thread group id
    std::int64_t parent = 0;   // Fork: the thread group that forked
};

// The kernel's process events (the proc connector, over netlink), read for
// which processes have started another program, were forked, or had a
// tracer attach. With the execs, ProcfsProcessSource reads a process's
// program link again only after its exec; the others feed its KernelLog.
//
// The kernel reports events only to listeners with CAP_NET_ADMIN (it
// refuses the others at bind(), or, on older kernels, in its answer), and
// only to those in its first user and pid namespaces, ignoring the others
// without a word. So the reader works only once the kernel has answered
// the request without an error; until then, and for good when that does
// not come, it tells nothing.
class ExecEvents {
public:
    ExecEvents();
    ~ExecEvents();
    ExecEvents(const ExecEvents&) = delete;
    ExecEvents& operator=(const ExecEvents&) = delete;

    bool working() const { return m_working; }
    // Reads every waiting message, without blocking, and puts the process
    // ids (thread group ids) of the execs among them into `execs`. True when
    // those are all the execs since the previous drain: the reader works and
    // nothing was lost (a full receive queue, a cut message, a gap in the
    // kernel's numbering); false: any process may have started another
    // program.
    bool drain(std::vector<std::int64_t>& execs);
    // The same, with every event followed, in the order the kernel sent
    // them.
    bool drain(std::vector<ProcessEvent>& events);
    // Also hands each exec, as drain() reads it, to `sink`: its process id
    // and the kernel's time of it (CLOCK_MONOTONIC, in nanoseconds).
    using ExecSink = std::function<void(std::int64_t pid, std::uint64_t timeNs)>;
    void setExecSink(ExecSink sink) { m_sink = std::move(sink); }
    // The socket, to wait on; -1 once the reader has stopped.
    int fd() const { return m_fd; }

private:
    bool ask(std::uint32_t op);
    // One datagram of m_len bytes in m_buf; sets `lost` on a sign of loss.
    void take(std::vector<ProcessEvent>& events, bool& lost);
    // Takes one event; sets `lost` when its number leaves a gap.
    void event(const unsigned char* data, std::size_t len, std::uint32_t seq, std::uint32_t ack,
               std::vector<ProcessEvent>& events, bool& lost);
    // Closes the socket; when the kernel may count it as a listener, asks it
    // to stop first.
    void stop();

    int m_fd = -1;
    bool m_working = false;
    // The kernel refused to listen: nothing to take back.
    bool m_refused = false;
    // The kernel's answer carries this plus one.
    std::uint32_t m_ack = 0;
    std::chrono::steady_clock::time_point m_asked;
    // Per processor, the number its next event carries: each processor
    // numbers its events in order.
    std::vector<std::uint32_t> m_next;
    std::vector<bool> m_numbered;
    std::vector<unsigned char> m_buf;
    std::size_t m_len = 0;
    ExecSink m_sink;
    std::vector<ProcessEvent> m_events;   // reused by drain(execs)
};

} // namespace zerva
