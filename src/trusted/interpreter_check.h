#pragma once

#include <QSet>
#include <QString>
#include <QStringView>

#include <string>
#include <vector>

namespace zerva {

// Knows a program that runs other programs' text: a shell or a script
// interpreter. Trusting one hides every script it runs, whoever wrote it,
// so an add asks first and "Guvenilir Programlar" marks such entries.
//
// A program counts by its file's name (the last part of the path, '/' or
// '\\' apart, letter case ignored; see IsInterpreterName) or when the
// system lists it as a shell (/etc/shells on Linux, handed in here so that
// this stays free of file formats and platforms).
class InterpreterCheck {
public:
    InterpreterCheck() = default;
    explicit InterpreterCheck(const std::vector<std::string>& listedShells);

    // Whether the file name is that of an interpreter: sh, bash, python3.11,
    // perl5.36.0, node, PowerShell.exe, ...
    static bool IsInterpreterName(QStringView fileName);

    // By the path as written: its name, or the path listed as a shell. No
    // file is looked at.
    bool named(QStringView path) const;

    // As named(), and also by the file the path leads to when it is a link
    // (/usr/bin/python3 leads to python3.11, /usr/bin/awk through
    // /etc/alternatives to mawk). Looks at the file system once.
    bool runsScripts(const QString& path) const;

    // The one-line reason shown beside such an entry.
    static QString Warning();

private:
    QSet<QString> m_shells;
};

} // namespace zerva
