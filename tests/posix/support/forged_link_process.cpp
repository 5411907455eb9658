#include "posix/support/forged_link_process.h"

#include "posix/support/forged_link.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zerva::test {

ForgedLink::ForgedLink(const QString& trusted, bool mapTrusted)
{
    // The ranges of this program and the fields of its memory map, as
    // the child will have them.
    const QByteArray self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath().toUtf8();
    QFile maps(QStringLiteral("/proc/self/maps")), stat(QStringLiteral("/proc/self/stat"));
    if (!maps.open(QIODevice::ReadOnly) || !stat.open(QIODevice::ReadOnly))
        return;
    std::vector<unsigned long> ranges;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        if (!line.endsWith(" " + self))
            continue;
        const QList<QByteArray> range = line.left(line.indexOf(' ')).split('-');
        ranges.push_back(range.value(0).toULong(nullptr, 16));
        ranges.push_back(range.value(1).toULong(nullptr, 16));
    }
    const QByteArray line = stat.readAll();
    const QList<QByteArray> f = line.mid(line.lastIndexOf(')') + 2).trimmed().split(' ');
    const auto field = [&](int n) { return static_cast<__u64>(f.value(n - 3).toULongLong()); };
    prctl_mm_map map{};
    map.start_code = field(26);
    map.end_code = field(27);
    map.start_stack = field(28);
    map.start_data = field(45);
    map.end_data = field(46);
    map.start_brk = field(47);
    map.arg_start = field(48);
    map.arg_end = field(49);
    map.env_start = field(50);
    map.env_end = field(51);
    int fds[2];
    const int exe = ::open(qPrintable(trusted), O_RDONLY | O_CLOEXEC);
    if (ranges.empty() || exe < 0 || ::pipe2(fds, O_CLOEXEC) != 0)
        return;
    pid = ::fork();
    if (pid == 0)
        ForgeProgramLink(exe, fds[0], ranges.data(), static_cast<int>(ranges.size() / 2), map, mapTrusted);
    ::close(fds[0]);
    ::close(exe);
    go = fds[1];
}

void ForgedLink::forge() const
{
    const char c = 1;
    static_cast<void>(::write(go, &c, 1));
}

ForgedLink::~ForgedLink()
{
    if (go >= 0)
        ::close(go);
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

} // namespace zerva::test
