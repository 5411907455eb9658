#include "platform/os/posix/bounded_read.h"

#include <cerrno>
#include <unistd.h>

namespace zerva {

std::string ReadAndClose(int fd, std::size_t limit)
{
    std::string out;
    if (fd < 0)
        return out;
    out.resize(limit);
    std::size_t len = 0;
    while (len < limit) {
        const ssize_t n = ::read(fd, out.data() + len, limit - len);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        len += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.resize(len);
    return out;
}

} // namespace zerva
