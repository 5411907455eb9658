#include "platform/os/posix/fanotify_exec.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/fanotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zerva {

namespace {

// A drain reads no more than this many buffers: a burst that outruns it
// counts as lost, so that a scan never waits on it.
constexpr int MaxReads = 256;

// Field 5 of a /proc/self/mountinfo line, the mount point, with the
// kernel's octal escapes (\040 for a blank) undone.
std::string MountPoint(const std::string& line)
{
    std::size_t at = 0;
    for (int field = 1; field < 5; ++field) {
        at = line.find(' ', at);
        if (at == std::string::npos)
            return {};
        ++at;
    }
    const std::size_t end = line.find(' ', at);
    const std::string raw = line.substr(at, end == std::string::npos ? std::string::npos : end - at);
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 3 < raw.size() && raw[i + 1] >= '0' && raw[i + 1] <= '3') {
            out += static_cast<char>((raw[i + 1] - '0') * 64 + (raw[i + 2] - '0') * 8 + (raw[i + 3] - '0'));
            i += 3;
        } else {
            out += raw[i];
        }
    }
    return out;
}

} // namespace

FanotifyExec::FanotifyExec() : m_buf(64 * 1024)
{
    m_fd = ::fanotify_init(FAN_CLASS_NOTIF | FAN_CLOEXEC | FAN_NONBLOCK, O_RDONLY | O_CLOEXEC | O_LARGEFILE);
    if (m_fd < 0)
        return;
    watchMounts();
    if (m_devices.empty()) {
        ::close(m_fd);
        m_fd = -1;
    }
}

FanotifyExec::~FanotifyExec()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void FanotifyExec::watchMounts()
{
    const int in = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return;
    std::string text;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(in, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || text.size() > (16u << 20))
            break;
        text.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(in);
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string point = MountPoint(text.substr(at, end - at));
        at = end + 1;
        struct stat st {};
        if (point.empty() || ::stat(point.c_str(), &st) != 0)
            continue;
        const auto device = static_cast<std::uint64_t>(st.st_dev);
        if (m_devices.count(device))
            continue;
        // The whole file system, whatever is mounted where: a file
        // replaced by an update is still watched.
        if (::fanotify_mark(m_fd, FAN_MARK_ADD | FAN_MARK_FILESYSTEM, FAN_OPEN_EXEC, AT_FDCWD, point.c_str()) == 0)
            m_devices.insert(device);
    }
}

bool FanotifyExec::reportsOn(const FileId& file) const
{
    return m_fd >= 0 && m_devices.count(file.device) != 0;
}

bool FanotifyExec::drain(std::vector<ExecOpen>& opens)
{
    opens.clear();
    if (m_fd < 0)
        return false;
    bool lost = false;
    for (int reads = 0;; ++reads) {
        if (reads == MaxReads) {
            lost = true;
            break;
        }
        const ssize_t n = ::read(m_fd, m_buf.data(), m_buf.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                break;
            ::close(m_fd);
            m_fd = -1;
            return false;
        }
        if (n == 0)
            break;
        std::size_t at = 0;
        const auto len = static_cast<std::size_t>(n);
        while (len - at >= sizeof(fanotify_event_metadata)) {
            fanotify_event_metadata meta;
            std::memcpy(&meta, m_buf.data() + at, sizeof meta);
            if (meta.event_len < sizeof meta || meta.event_len > len - at || meta.vers != FANOTIFY_METADATA_VERSION) {
                lost = true;
                break;
            }
            at += meta.event_len;
            if (meta.mask & FAN_Q_OVERFLOW)
                lost = true;
            if (meta.fd < 0) {
                // No file to tell (FAN_NOFD): an exec of a file unknown.
                if (meta.mask & FAN_OPEN_EXEC)
                    lost = true;
                continue;
            }
            struct stat st {};
            if ((meta.mask & FAN_OPEN_EXEC) && ::fstat(meta.fd, &st) == 0)
                opens.push_back({static_cast<std::int64_t>(meta.pid),
                                 FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)}});
            else if (meta.mask & FAN_OPEN_EXEC)
                lost = true;
            ::close(meta.fd);
        }
    }
    return !lost;
}

} // namespace zerva
