#include "platform/os/posix/exec_record_reader.h"

#include "platform/os/posix/bounded_read.h"
#include "platform/os/posix/exec_events.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <string_view>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace zerva {

namespace {

constexpr int ReaderNice = -10;

// Reads at most `limit` bytes of `name` in the directory `dir`.
std::string readAt(int dir, const char* name, std::size_t limit)
{
    return ReadAndClose(::openat(dir, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW), limit);
}

bool parseNumber(std::string_view text, std::uint64_t& value)
{
    if (text.empty() || text.size() > 20)
        return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

// Fields of stat after the name, which ends at the last ')': the name is
// the process's own text and may hold blanks and parentheses.
void parseStat(const std::string& stat, ExecSeen& seen)
{
    const std::size_t open = stat.find('(');
    const std::size_t close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return;
    seen.name = stat.substr(open + 1, close - open - 1);
    std::string_view rest(stat);
    rest.remove_prefix(close + 1);
    // Field 4 is the parent, field 22 the start time: after the name, the
    // 2nd and the 20th.
    int field = 0;
    while (!rest.empty()) {
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
        const std::size_t end = std::min(rest.find(' '), rest.size());
        const std::string_view token = rest.substr(0, end);
        rest.remove_prefix(end);
        ++field;
        std::uint64_t value = 0;
        if (field == 2 && parseNumber(token, value))
            seen.parentPid = static_cast<std::int64_t>(value);
        if (field == 20) {
            if (parseNumber(token, value))
                seen.startTime = value;
            return;
        }
    }
}

// The effective user: the second number of the "Uid:" line.
std::optional<unsigned> parseUser(const std::string& status)
{
    const std::size_t at = status.find("\nUid:");
    if (at == std::string::npos)
        return std::nullopt;
    std::string_view line(status);
    line.remove_prefix(at + 5);
    line = line.substr(0, line.find('\n'));
    int field = 0;
    while (!line.empty()) {
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        const std::size_t end = std::min(line.find_first_of(" \t"), line.size());
        std::uint64_t value = 0;
        if (++field == 2) {
            if (parseNumber(line.substr(0, end), value) && value <= 0xffffffffu)
                return static_cast<unsigned>(value);
            return std::nullopt;
        }
        line.remove_prefix(end);
    }
    return std::nullopt;
}

} // namespace

ExecRecordReader::ExecRecordReader(std::string root, std::size_t backlog) : m_backlog(backlog)
{
    // Only root hears every exec; nothing is opened for anyone else.
    if (::geteuid() != 0)
        return;
    m_procFd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_procFd < 0 || ::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_state = State::Refused;
        return;
    }
    m_events = std::make_unique<ExecEvents>();
    if (m_events->fd() < 0) {
        m_state = State::Refused;
        return;
    }
    m_events->setExecSink([this](std::int64_t pid, std::uint64_t ns) { m_batch.emplace_back(pid, ns); });
    m_state = m_events->working() ? State::Working : State::Starting;
    m_thread = std::thread([this] { run(); });
}

ExecRecordReader::~ExecRecordReader()
{
    m_stop = true;
    if (m_wake[1] >= 0) {
        const char c = 0;
        [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &c, 1);
    }
    if (m_thread.joinable())
        m_thread.join();
    m_events.reset();
    for (const int fd : {m_wake[0], m_wake[1], m_procFd})
        if (fd >= 0)
            ::close(fd);
}

void ExecRecordReader::run()
{
    // A program that lives a few milliseconds must be read before it ends:
    // this thread runs ahead of ordinary work (it only runs when the kernel
    // reports an exec, and does little then). Root may; if not, it runs as
    // it is.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), ReaderNice);
    std::vector<std::int64_t> execs;
    while (!m_stop) {
        pollfd fds[2] = {{m_events->fd(), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        // Woken by the kernel, by the destructor, or to see whether the
        // kernel has answered at all.
        if (::poll(fds, 2, 250) < 0 && errno != EINTR)
            break;
        if (m_stop)
            break;
        m_batch.clear();
        const bool whole = m_events->drain(execs);
        const bool working = m_events->working();
        readBatch(working && !whole);
        if (m_events->fd() < 0) {
            m_state = State::Refused;
            return;
        }
        m_state = working ? State::Working : State::Starting;
    }
}

void ExecRecordReader::readBatch(bool lost)
{
    if (m_batch.empty() && !lost)
        return;
    const auto steadyNow = std::chrono::steady_clock::now();
    const auto wallNow = std::chrono::system_clock::now();
    // An exec followed by another of the same process in this batch: what
    // /proc shows now is the later program's.
    std::unordered_map<std::int64_t, std::size_t> last;
    for (std::size_t i = 0; i < m_batch.size(); ++i)
        last[m_batch[i].first] = i;
    std::vector<ExecSeen> read;
    read.reserve(m_batch.size());
    for (std::size_t i = 0; i < m_batch.size(); ++i) {
        const auto [pid, ns] = m_batch[i];
        ExecSeen seen;
        if (last[pid] == i) {
            seen = ExecRecordReader::read(m_procFd, pid);
            if (seen.user)
                seen.account = account(*seen.user);
        } else {
            seen.pid = pid;
            seen.replaced = true;
        }
        seen.at = std::chrono::steady_clock::time_point(
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::nanoseconds(ns)));
        // Never later than now, whatever the kernel's clock said.
        seen.at = std::min(seen.at, steadyNow);
        seen.when = wallNow - std::chrono::duration_cast<std::chrono::system_clock::duration>(steadyNow - seen.at);
        read.push_back(std::move(seen));
    }
    const std::lock_guard lock(m_mutex);
    m_lost = m_lost || lost;
    for (ExecSeen& seen : read) {
        if (m_ready.size() >= m_backlog) {
            m_lost = true;   // the window fell behind: the newest are dropped
            break;
        }
        m_ready.push_back(std::move(seen));
    }
}

const std::optional<std::string>& ExecRecordReader::account(unsigned user)
{
    const auto found = m_accounts.find(user);
    if (found != m_accounts.end())
        return found->second;
    // A bound on what a flood of made-up users could cost.
    if (m_accounts.size() >= 4096)
        m_accounts.clear();
    std::optional<std::string> name;
    passwd entry{};
    passwd* result = nullptr;
    std::vector<char> buf(16384);
    if (::getpwuid_r(user, &entry, buf.data(), buf.size(), &result) == 0 && result && result->pw_name)
        name = result->pw_name;
    return m_accounts.emplace(user, std::move(name)).first->second;
}

bool ExecRecordReader::take(std::vector<ExecSeen>& out, std::size_t limit)
{
    out.clear();
    const std::lock_guard lock(m_mutex);
    const std::size_t n = std::min(limit, m_ready.size());
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(std::move(m_ready.front()));
        m_ready.pop_front();
    }
    const bool whole = !m_lost;
    m_lost = false;
    return whole;
}

ExecSeen ExecRecordReader::read(int procFd, std::int64_t pid)
{
    ExecSeen seen;
    seen.pid = pid;
    char name[24];
    std::snprintf(name, sizeof name, "%lld", static_cast<long long>(pid));
    // The directory stays bound to this process: should its number be
    // taken over meanwhile, reads through it fail rather than read another.
    const int dir = ::openat(procFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return seen;
    parseStat(readAt(dir, "stat", 1024), seen);
    char link[4096];
    const ssize_t n = ::readlinkat(dir, "exe", link, sizeof link);
    if (n > 0 && static_cast<std::size_t>(n) < sizeof link) {
        seen.path.emplace(link, static_cast<std::size_t>(n));
        struct stat st {};
        if (::fstatat(dir, "exe", &st, 0) == 0)
            seen.file = FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    }
    seen.user = parseUser(readAt(dir, "status", 4096));
    std::string line = readAt(dir, "cmdline", ExecCommandLineHead + 1);
    while (!line.empty() && line.back() == '\0')
        line.pop_back();
    if (!line.empty()) {
        const bool cut = line.size() > ExecCommandLineHead;
        if (cut)
            line.resize(ExecCommandLineHead);
        for (char& c : line)
            if (c == '\0')
                c = ' ';
        if (cut)
            line += "...";
        seen.commandLine = std::move(line);
    }
    ::close(dir);
    return seen;
}

} // namespace zerva
