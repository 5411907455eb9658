#include "floor_scan.h"

#include <cctype>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace zerva::bench {

namespace {

std::size_t readOnce(const char* path, char* buf, std::size_t size)
{
    const int fd = ::open(path, O_RDONLY);
    if (fd < 0)
        return 0;
    const ssize_t n = ::read(fd, buf, size);
    ::close(fd);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

} // namespace

std::size_t FloorScan()
{
    static char buf[65536];
    char path[300];
    std::size_t bytes = 0;
    DIR* dir = ::opendir("/proc");
    if (!dir)
        return 0;
    while (const dirent* e = ::readdir(dir)) {
        if (!std::isdigit(static_cast<unsigned char>(e->d_name[0])))
            continue;
        std::snprintf(path, sizeof path, "/proc/%s/stat", e->d_name);
        bytes += readOnce(path, buf, sizeof buf);
        std::snprintf(path, sizeof path, "/proc/%s/cmdline", e->d_name);
        bytes += readOnce(path, buf, sizeof buf);
        std::snprintf(path, sizeof path, "/proc/%s/exe", e->d_name);
        const ssize_t n = ::readlink(path, buf, sizeof buf);
        bytes += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    ::closedir(dir);
    return bytes;
}

} // namespace zerva::bench
