#pragma once

#include <QFile>
#include <QString>

namespace zerva::test {

// Copies a program of the system folder to `to`, to run from there as a
// program of its own. Wine marks its own programs as built in (the text
// "Wine builtin DLL" after the DOS header) and, whatever file is started,
// runs the built-in one from the system folder, reporting that path; with
// the mark blanked the copy runs as what it is, as any copy on Windows does.
inline bool CopyProgram(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        return false;
    QFile copy(to);
    if (!copy.open(QIODevice::ReadWrite))
        return false;
    const QByteArray mark("Wine builtin DLL");
    if (!copy.seek(0x40) || copy.read(mark.size()) != mark)
        return true;   // Windows itself: nothing to change
    return copy.seek(0x40) && copy.write(QByteArray(mark.size(), '\0')) == mark.size();
}

} // namespace zerva::test
