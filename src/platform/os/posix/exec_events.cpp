#include "platform/os/posix/exec_events.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <linux/cn_proc.h>
#include <linux/connector.h>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zerva {

namespace {

// The kernel's numbers for the events of proc_event::what (stable: they
// are its interface); the constants' own names moved between header
// versions.
constexpr std::uint32_t AckEvent = 0x00000000;
constexpr std::uint32_t ForkEvent = 0x00000001;
constexpr std::uint32_t ExecEvent = 0x00000002;
constexpr std::uint32_t PtraceEvent = 0x00000100;

// Room for events while the program is busy elsewhere: a message costs the
// queue some 800 bytes, so 8 MiB hold about ten thousand.
constexpr int ReceiveBuffer = 8 << 20;
// A drain reads no more messages than this: a burst that outruns it counts
// as lost, so that a scan never waits on it.
constexpr int MaxReads = 1 << 16;
// Processors whose numbering is followed; an event from one beyond is taken
// without.
constexpr std::uint32_t MaxProcessors = 1 << 14;
// The kernel answers at once; when no answer has come by then, it never will.
constexpr auto AckWait = std::chrono::seconds(2);

// An event shorter than this would not even name its process.
constexpr std::size_t ExecTgidEnd = offsetof(proc_event, event_data.exec.process_tgid) + sizeof(__kernel_pid_t);
constexpr std::size_t ForkEnd = offsetof(proc_event, event_data.fork.child_tgid) + sizeof(__kernel_pid_t);
constexpr std::size_t PtraceEnd = offsetof(proc_event, event_data.ptrace.tracer_tgid) + sizeof(__kernel_pid_t);

} // namespace

ExecEvents::ExecEvents() : m_buf(8192)
{
    m_fd = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_CONNECTOR);
    if (m_fd < 0)
        return;
    // Only as root may the queue outgrow the system's limit.
    if (::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUFFORCE, &ReceiveBuffer, sizeof ReceiveBuffer) != 0)
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &ReceiveBuffer, sizeof ReceiveBuffer);
    sockaddr_nl self{};
    self.nl_family = AF_NETLINK;
    self.nl_groups = CN_IDX_PROC;
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&self), sizeof self) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    // Tells our answer from another listener's (who mostly send 0).
    m_ack = (static_cast<std::uint32_t>(::getpid()) * 2654435761u
             ^ static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(this) >> 4))
        | 1u;
    m_asked = std::chrono::steady_clock::now();
    if (!ask(PROC_CN_MCAST_LISTEN)) {
        m_refused = true;
        stop();
        return;
    }
    drain(m_events);
}

ExecEvents::~ExecEvents()
{
    stop();
}

bool ExecEvents::ask(std::uint32_t op)
{
    cn_msg cn{};
    cn.id.idx = CN_IDX_PROC;
    cn.id.val = CN_VAL_PROC;
    cn.seq = m_ack;
    cn.ack = m_ack;
    cn.len = sizeof op;
    nlmsghdr nl{};
    nl.nlmsg_len = NLMSG_LENGTH(sizeof cn + sizeof op);
    nl.nlmsg_type = NLMSG_DONE;
    alignas(nlmsghdr) unsigned char message[NLMSG_SPACE(sizeof cn + sizeof op)] = {};
    std::memcpy(message, &nl, sizeof nl);
    std::memcpy(message + NLMSG_HDRLEN, &cn, sizeof cn);
    std::memcpy(message + NLMSG_HDRLEN + sizeof cn, &op, sizeof op);
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    for (;;) {
        const ssize_t n = ::sendto(m_fd, message, nl.nlmsg_len, 0, reinterpret_cast<const sockaddr*>(&kernel),
                                   sizeof kernel);
        if (n >= 0 || errno != EINTR)
            return n == static_cast<ssize_t>(nl.nlmsg_len);
    }
}

void ExecEvents::stop()
{
    if (m_fd < 0)
        return;
    // The kernel keeps counting a listener that merely closes, and keeps
    // sending events to nobody.
    if (!m_refused)
        ask(PROC_CN_MCAST_IGNORE);
    ::close(m_fd);
    m_fd = -1;
    m_working = false;
}

bool ExecEvents::drain(std::vector<std::int64_t>& execs)
{
    const bool all = drain(m_events);
    execs.clear();
    for (const ProcessEvent& e : m_events)
        if (e.kind == ProcessEvent::Kind::Exec)
            execs.push_back(e.pid);
    return all;
}

bool ExecEvents::drain(std::vector<ProcessEvent>& events)
{
    events.clear();
    if (m_fd < 0)
        return false;
    bool lost = false;
    for (int reads = 0;; ++reads) {
        if (reads == MaxReads) {
            lost = true;
            break;
        }
        sockaddr_nl from{};
        iovec io{m_buf.data(), m_buf.size()};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &io;
        msg.msg_iovlen = 1;
        const ssize_t n = ::recvmsg(m_fd, &msg, MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                break;
            if (errno == ENOBUFS) {
                // The queue overflowed; what follows it is whole again.
                lost = true;
                continue;
            }
            stop();
            return false;
        }
        if (msg.msg_flags & MSG_TRUNC)
            lost = true;
        // Only the kernel speaks for the kernel.
        if (from.nl_pid != 0)
            continue;
        m_len = static_cast<std::size_t>(n);
        take(events, lost);
        if (m_fd < 0)
            return false;
    }
    if (!m_working && std::chrono::steady_clock::now() - m_asked > AckWait)
        stop();
    return m_working && !lost;
}

void ExecEvents::take(std::vector<ProcessEvent>& events, bool& lost)
{
    std::size_t at = 0;
    while (m_len - at >= NLMSG_HDRLEN) {
        nlmsghdr nl;
        std::memcpy(&nl, m_buf.data() + at, sizeof nl);
        if (nl.nlmsg_len < NLMSG_HDRLEN || nl.nlmsg_len > m_len - at) {
            lost = true;
            return;
        }
        if (nl.nlmsg_type == NLMSG_OVERRUN)
            lost = true;
        const std::size_t payload = nl.nlmsg_len - NLMSG_HDRLEN;
        if (nl.nlmsg_type != NLMSG_NOOP && nl.nlmsg_type != NLMSG_ERROR && nl.nlmsg_type != NLMSG_OVERRUN
            && payload >= sizeof(cn_msg)) {
            cn_msg cn;
            std::memcpy(&cn, m_buf.data() + at + NLMSG_HDRLEN, sizeof cn);
            if (cn.id.idx == CN_IDX_PROC && cn.id.val == CN_VAL_PROC) {
                if (cn.len > payload - sizeof cn)
                    lost = true;
                else
                    event(m_buf.data() + at + NLMSG_HDRLEN + sizeof cn, cn.len, cn.seq, cn.ack, events, lost);
            }
        }
        at += NLMSG_ALIGN(nl.nlmsg_len);
        if (at > m_len)
            return;
    }
}

void ExecEvents::event(const unsigned char* data, std::size_t len, std::uint32_t seq, std::uint32_t ack,
                       std::vector<ProcessEvent>& events, bool& lost)
{
    if (len < ExecTgidEnd) {
        lost = true;
        return;
    }
    // Copied out: the event is not aligned in the message.
    proc_event ev;
    std::memset(&ev, 0, sizeof ev);
    std::memcpy(&ev, data, std::min(len, sizeof ev));
    // Every event, the kernel's answers included, is numbered by the
    // processor that sent it (older kernels answer unnumbered, from no
    // processor).
    const std::uint32_t cpu = ev.cpu;
    if (cpu < MaxProcessors) {
        if (cpu >= m_next.size()) {
            m_next.resize(cpu + 1);
            m_numbered.resize(cpu + 1);
        }
        if (m_numbered[cpu] && seq != m_next[cpu])
            lost = true;
        m_next[cpu] = seq + 1;
        m_numbered[cpu] = true;
    }
    const std::uint32_t what = static_cast<std::uint32_t>(ev.what);
    if (what == ExecEvent) {
        events.push_back({ProcessEvent::Kind::Exec, ev.event_data.exec.process_tgid, 0});
        if (m_sink)
            m_sink(ev.event_data.exec.process_tgid, ev.timestamp_ns);
    } else if (what == ForkEvent && len >= ForkEnd) {
        // A new thread is no new process.
        if (ev.event_data.fork.child_pid == ev.event_data.fork.child_tgid)
            events.push_back(
                {ProcessEvent::Kind::Fork, ev.event_data.fork.child_tgid, ev.event_data.fork.parent_tgid});
    } else if (what == PtraceEvent && len >= PtraceEnd) {
        // An attach (PTRACE_ATTACH or PTRACE_SEIZE) names its tracer, a
        // detach names none. A detach marks the process too: a tracer was
        // there, maybe one the kernel never reports attaching (a program
        // started under PTRACE_TRACEME).
        events.push_back({ProcessEvent::Kind::Attach, ev.event_data.ptrace.process_tgid, 0});
    } else if (what == AckEvent && ack == m_ack + 1 && !m_working) {
        if (ev.event_data.ack.err == 0) {
            m_working = true;
        } else {
            m_refused = true;
            stop();
        }
    }
}

} // namespace zerva
