#include "posix/support/fake_proc_tree.h"

#include <QFile>
#include <QFileInfo>

namespace zerva::test {

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

bool FakeProcTree::addProcess(qint64 pid, const QByteArray& comm, const QByteArray& statTail,
                              const QByteArray& cmdline, const QString& exe)
{
    const QDir d = dir();
    const QString folder = QString::number(pid);
    if (!d.mkpath(folder))
        return false;
    const QByteArray stat = QByteArray::number(pid) + " (" + comm + ")" + statTail;
    return WriteFile(d.filePath(folder + "/stat"), stat) && WriteFile(d.filePath(folder + "/cmdline"), cmdline)
        && (exe.isEmpty() || QFile::link(exe, d.filePath(folder + "/exe")));
}

bool FakeProcTree::addFile(const QString& relative, const QByteArray& bytes)
{
    const QDir d = dir();
    const QString path = d.filePath(relative);
    return d.mkpath(QFileInfo(path).path()) && WriteFile(path, bytes);
}

} // namespace zerva::test
