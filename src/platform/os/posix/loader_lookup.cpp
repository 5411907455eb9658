#include "platform/os/posix/loader_lookup.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace zerva {

namespace {

// More versions than this are forgotten together: programs come and go.
constexpr std::size_t MaxVersions = 4096;
// Program headers and loader names of real programs are far smaller.
constexpr std::size_t MaxHeaders = 64 * 1024;
constexpr std::size_t MaxName = 4096;

bool readAt(int fd, void* to, std::size_t size, std::uint64_t at)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, static_cast<char*>(to) + done, size - done, static_cast<off_t>(at + done));
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

template <typename Ehdr, typename Phdr>
std::optional<std::string> interpreterOf(int fd)
{
    Ehdr header;
    if (!readAt(fd, &header, sizeof header, 0) || header.e_phentsize != sizeof(Phdr)
        || std::size_t(header.e_phnum) * sizeof(Phdr) > MaxHeaders)
        return std::nullopt;
    std::vector<Phdr> headers(header.e_phnum);
    if (!headers.empty() && !readAt(fd, headers.data(), headers.size() * sizeof(Phdr), header.e_phoff))
        return std::nullopt;
    for (const Phdr& p : headers) {
        if (p.p_type != PT_INTERP)
            continue;
        if (p.p_filesz < 2 || p.p_filesz > MaxName)
            return std::nullopt;
        std::string name(static_cast<std::size_t>(p.p_filesz), '\0');
        if (!readAt(fd, name.data(), name.size(), p.p_offset))
            return std::nullopt;
        // One NUL, at the end, after an absolute path.
        if (name.back() != '\0' || name.find('\0') != name.size() - 1 || name.front() != '/')
            return std::nullopt;
        name.pop_back();
        return name;
    }
    return std::string();
}

} // namespace

std::optional<std::string> ElfInterpreter(int fd)
{
    unsigned char ident[EI_NIDENT];
    if (fd < 0 || !readAt(fd, ident, sizeof ident, 0) || std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return std::nullopt;
    const int native = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;
    if (ident[EI_DATA] != native)
        return std::nullopt;
    if (ident[EI_CLASS] == ELFCLASS64)
        return interpreterOf<Elf64_Ehdr, Elf64_Phdr>(fd);
    if (ident[EI_CLASS] == ELFCLASS32)
        return interpreterOf<Elf32_Ehdr, Elf32_Phdr>(fd);
    return std::nullopt;
}

bool LoaderLookup::sameView(int procFd, const std::string& pid)
{
    // The loader's path means the same file only where the process sees
    // the same root and the same mounts as Zerva.
    struct stat mine {}, theirs {};
    const auto same = [](const struct stat& a, const struct stat& b) {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    };
    return ::stat("/proc/self/ns/mnt", &mine) == 0 && ::fstatat(procFd, (pid + "/ns/mnt").c_str(), &theirs, 0) == 0
        && same(mine, theirs) && ::stat("/", &mine) == 0
        && ::fstatat(procFd, (pid + "/root").c_str(), &theirs, 0) == 0 && same(mine, theirs);
}

std::optional<FileId> LoaderLookup::loaderOf(int procFd, const std::string& pid)
{
    const int fd = ::openat(procFd, (pid + "/exe").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    std::optional<std::string> name;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        const Version version{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                              static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_ctim.tv_sec),
                              static_cast<std::int64_t>(st.st_ctim.tv_nsec)};
        const auto known = m_names.find(version);
        if (known != m_names.end()) {
            name = known->second;
        } else {
            if (m_names.size() >= MaxVersions)
                m_names.clear();
            name = m_names[version] = ElfInterpreter(fd);
        }
    }
    ::close(fd);
    if (!name || name->empty() || !sameView(procFd, pid))
        return std::nullopt;
    // Looked up anew each time: an update of the system replaces it.
    if (::stat(name->c_str(), &st) != 0)
        return std::nullopt;
    return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

} // namespace zerva
