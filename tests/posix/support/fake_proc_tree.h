#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <string>

namespace zerva::test {

// A crafted /proc in a temporary folder, for a process source pointed at it.
// Only the files the source reads are written; a test adds whatever odd
// entries it needs through dir().
class FakeProcTree {
public:
    bool isValid() const { return m_root.isValid(); }
    std::string path() const { return m_root.path().toStdString(); }
    QDir dir() const { return QDir(m_root.path()); }

    // Writes <pid>/stat as "<pid> (<comm>)<statTail>" and <pid>/cmdline, and
    // when `exe` is not empty the link <pid>/exe to it. False when any of
    // it could not be written.
    bool addProcess(qint64 pid, const QByteArray& comm, const QByteArray& statTail, const QByteArray& cmdline,
                    const QString& exe = {});
    // Writes any other file, `relative` to the root (its folder is made).
    bool addFile(const QString& relative, const QByteArray& bytes);

private:
    QTemporaryDir m_root;
};

} // namespace zerva::test
