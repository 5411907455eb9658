#include "trusted/interpreter_check.h"

#include <QFileInfo>

namespace zerva {

namespace {

enum class Form {
    Exact,       // the name itself, and with ".exe"
    Versioned,   // also followed by a version: python3.11, perl5.36.0, pythonw
    WindowsOnly, // only with ".exe": elsewhere the name is nobody's interpreter
};

struct Known {
    const char* stem;
    Form form;
};

// Every kind here runs text that some other program or person wrote, and
// the process that does so is the interpreter's, not the script's.
constexpr Known kKnown[] = {
    // Shells: run every command of a script file, of a pipe or of "-c".
    {"sh", Form::Exact},
    {"ash", Form::Exact},
    {"dash", Form::Exact},
    {"bash", Form::Exact},
    {"rbash", Form::Exact},
    {"ksh", Form::Versioned},
    {"mksh", Form::Exact},
    {"zsh", Form::Versioned},
    {"csh", Form::Exact},
    {"tcsh", Form::Exact},
    {"fish", Form::Exact},
    // One program that is sh, awk and a hundred tools by the name it is
    // started with.
    {"busybox", Form::Exact},
    // awk runs a program text given with -f, and system() runs commands.
    {"awk", Form::Exact},
    {"gawk", Form::Exact},
    {"mawk", Form::Exact},
    {"nawk", Form::Exact},
    // Script languages: each runs whatever script file it is given, and
    // distributions install them by version (python3.11, ruby3.1, lua5.4).
    {"python", Form::Versioned},
    {"pypy", Form::Versioned},
    {"perl", Form::Versioned},
    {"ruby", Form::Versioned},
    {"php", Form::Versioned},
    {"php-cgi", Form::Versioned},
    {"php-fpm", Form::Versioned},   // serves every PHP script of a web site
    {"lua", Form::Versioned},
    {"luajit", Form::Versioned},
    {"tclsh", Form::Versioned},
    {"wish", Form::Versioned},
    {"expect", Form::Exact},
    {"node", Form::Exact},
    {"nodejs", Form::Exact},
    {"deno", Form::Exact},
    {"bun", Form::Exact},
    // The Java launchers run any class or jar file.
    {"java", Form::Exact},
    {"javaw", Form::Exact},
    // PowerShell, on Windows and elsewhere.
    {"pwsh", Form::Exact},
    // Windows' own: batch files (cmd), PowerShell, VBScript and JScript
    // (wscript, cscript), HTML applications (mshta), Python's launcher.
    {"cmd", Form::WindowsOnly},
    {"powershell", Form::WindowsOnly},
    {"powershell_ise", Form::WindowsOnly},
    {"wscript", Form::WindowsOnly},
    {"cscript", Form::WindowsOnly},
    {"mshta", Form::WindowsOnly},
    {"py", Form::WindowsOnly},
    {"pyw", Form::WindowsOnly},
};

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// What may follow a versioned name: nothing; "w" (pythonw); or a version
// ("3", "3.11", "-8.6") with at most two build letters (python3.7m,
// python3.13t) and "-dbg". "python3-config" (a script) is not one.
bool versionSuffix(QStringView s)
{
    if (s.isEmpty() || s == u"w")
        return true;
    qsizetype i = s.front() == u'-' ? 1 : 0;
    if (i >= s.size() || !isDigit(s[i]))
        return false;
    while (i < s.size() && (isDigit(s[i]) || s[i] == u'.'))
        ++i;
    QStringView rest = s.sliced(i);
    if (rest.endsWith(u"-dbg"))
        rest.chop(4);
    if (rest.size() > 2)
        return false;
    for (const QChar c : rest)
        if (c != u'd' && c != u'm' && c != u't' && c != u'w')
            return false;
    return true;
}

QStringView fileNameOf(QStringView path)
{
    qsizetype at = path.size();
    while (at > 0 && path[at - 1] != u'/' && path[at - 1] != u'\\')
        --at;
    return path.sliced(at);
}

} // namespace

InterpreterCheck::InterpreterCheck(const std::vector<std::string>& listedShells)
{
    for (const std::string& shell : listedShells) {
        const QString path = QString::fromUtf8(shell.data(), static_cast<qsizetype>(shell.size()));
        if (path.isEmpty())
            continue;
        m_shells.insert(path);
        // /bin/sh is listed, and the entry may name /usr/bin/dash it leads to.
        if (const QString real = QFileInfo(path).canonicalFilePath(); !real.isEmpty())
            m_shells.insert(real);
    }
}

bool InterpreterCheck::IsInterpreterName(QStringView fileName)
{
    QString name = fileName.toString().toLower();
    const bool exe = name.endsWith(QLatin1String(".exe"));
    if (exe)
        name.chop(4);
    if (name.isEmpty())
        return false;
    for (const Known& known : kKnown) {
        const QLatin1String stem(known.stem);
        if (!name.startsWith(stem))
            continue;
        const QStringView rest = QStringView(name).sliced(stem.size());
        switch (known.form) {
        case Form::Exact:
            if (rest.isEmpty())
                return true;
            break;
        case Form::Versioned:
            if (versionSuffix(rest))
                return true;
            break;
        case Form::WindowsOnly:
            if (rest.isEmpty() && exe)
                return true;
            break;
        }
    }
    return false;
}

bool InterpreterCheck::named(QStringView path) const
{
    return IsInterpreterName(fileNameOf(path)) || m_shells.contains(path.toString());
}

bool InterpreterCheck::runsScripts(const QString& path) const
{
    if (named(path))
        return true;
    const QString real = QFileInfo(path).canonicalFilePath();
    return !real.isEmpty() && real != path && named(real);
}

QString InterpreterCheck::Warning()
{
    return QStringLiteral("Betik calistiran program: guvenilir olursa calistirdigi her betik de gizlenir.");
}

} // namespace zerva
