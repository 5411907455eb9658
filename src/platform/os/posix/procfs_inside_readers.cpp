#include "platform/os/posix/procfs_inside_readers.h"

#include <charconv>
#include <sys/sysmacros.h>

namespace zerva {

namespace {

std::string_view nextLine(std::string_view& text)
{
    const std::size_t nl = text.find('\n');
    const std::string_view line = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    return line;
}

std::string_view nextField(std::string_view& line)
{
    while (!line.empty() && line.front() == ' ')
        line.remove_prefix(1);
    const std::size_t end = line.find(' ');
    const std::string_view field = line.substr(0, end);
    line.remove_prefix(end == std::string_view::npos ? line.size() : end);
    return field;
}

template <class T>
bool number(std::string_view s, T& v, int base = 10)
{
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v, base);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The kernel's own code, mapped into every process.
bool kernelCode(std::string_view path)
{
    return path == "[vdso]" || path == "[vsyscall]" || path == "[uprobes]";
}

constexpr std::string_view Deleted = " (deleted)";

} // namespace

std::optional<TaskStatus> ParseTaskStatus(std::string_view status)
{
    TaskStatus s;
    bool tracer = false, state = false;
    while (!status.empty()) {
        const std::string_view line = nextLine(status);
        if (line.substr(0, 10) == "TracerPid:") {
            tracer = number(trimmed(line.substr(10)), s.tracerPid);
        } else if (line.substr(0, 4) == "Uid:") {
            std::string_view v = trimmed(line.substr(4));
            v = v.substr(0, v.find_first_of(" \t"));
            std::int64_t uid = 0;
            if (number(v, uid) && uid >= 0 && uid <= 0xFFFFFFFF)
                s.realUser = static_cast<unsigned>(uid);
        } else if (line.substr(0, 6) == "State:") {
            const std::string_view v = trimmed(line.substr(6));
            state = !v.empty();
            if (state)
                s.state = v.front();
        }
    }
    if (!tracer || !state)
        return std::nullopt;
    return s;
}

bool EnvironLoadsLibrary(std::string_view environ)
{
    while (!environ.empty()) {
        const std::size_t end = environ.find('\0');
        const std::string_view var = environ.substr(0, end);
        environ.remove_prefix(end == std::string_view::npos ? environ.size() : end + 1);
        for (const std::string_view name : {std::string_view("LD_PRELOAD="), std::string_view("LD_AUDIT=")})
            if (var.substr(0, name.size()) == name && !trimmed(var.substr(name.size())).empty())
                return true;
    }
    return false;
}

bool ParseCodeMappings(std::string_view smaps, std::vector<CodeMapping>& out)
{
    out.clear();
    CodeMapping* current = nullptr;
    while (!smaps.empty()) {
        std::string_view line = nextLine(smaps);
        if (line.empty())
            continue;
        const char first = line.front();
        // A mapping's line begins with its address in lower-case hex; the
        // lines of its figures with a capitalised name.
        if ((first >= '0' && first <= '9') || (first >= 'a' && first <= 'f')) {
            current = nullptr;
            const std::string_view range = nextField(line);
            const std::string_view perms = nextField(line);
            nextField(line);   // offset
            const std::string_view dev = nextField(line);
            const std::string_view inode = nextField(line);
            if (perms.size() < 4 || dev.find(':') == std::string_view::npos)
                return false;
            if (perms[2] != 'x')
                continue;
            // The kernel pads before the path, never after it: a blank at
            // its end is part of the file's name.
            std::string_view path = line;
            while (!path.empty() && path.front() == ' ')
                path.remove_prefix(1);
            CodeMapping m;
            unsigned major = 0, minor = 0;
            if (!number(dev.substr(0, dev.find(':')), major, 16) || !number(dev.substr(dev.find(':') + 1), minor, 16)
                || !number(inode, m.file.inode))
                return false;
            m.file.device = makedev(major, minor);
            if (m.file.inode == 0) {
                if (kernelCode(path))
                    continue;
                m.kind = CodeMapping::Kind::Anonymous;
            } else if (path.substr(0, 7) == "/memfd:") {
                m.kind = CodeMapping::Kind::Memfd;
            } else if (path.size() >= Deleted.size() && path.substr(path.size() - Deleted.size()) == Deleted) {
                m.kind = CodeMapping::Kind::DeletedFile;
            } else if (path.empty() || path.front() != '/') {
                m.kind = CodeMapping::Kind::Anonymous;   // no file to show for it
            }
            m.path = std::string(path);
            m.range = std::string(range);
            out.push_back(std::move(m));
            current = &out.back();
        } else if (current && line.substr(0, 10) == "Anonymous:") {
            // Of a file's mapping, the pages copied on write. Private_Dirty
            // would also count the file's own pages not yet written back.
            std::string_view v = trimmed(line.substr(10));
            v = v.substr(0, v.find(' '));
            if (!number(v, current->copiedKiB))
                return false;
        }
    }
    return true;
}

} // namespace zerva
