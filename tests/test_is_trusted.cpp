#include "platform/controls/list_view.h"
#include "trusted/interpreter_check.h"
#include "trusted/is_trusted.h"
#include "trusted/mixed_script.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace zerva;

namespace {

// Every entry names the running file: the path test alone decides.
bool anyFile(const QString&)
{
    return true;
}

} // namespace

class TestIsTrusted : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rows_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("check1");
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<QStringList>("sameFile");   // entries naming the running file; "*": all
        QTest::addColumn<int>("asked");              // file tests made; -1: any
        const QStringList explorer{"c:\\windows\\explorer.exe"};
        const QStringList all{"*"};
        QTest::newRow("equal") << explorer << "c:\\windows\\explorer.exe" << 0 << true << all << -1;
        QTest::newRow("path in capitals") << explorer << "C:\\WINDOWS\\Explorer.EXE" << 0 << true << all << -1;
        QTest::newRow("entry in capitals") << QStringList{"C:\\TOOLS\\X.EXE"} << "c:\\tools\\x.exe" << 0 << true << all << -1;
        QTest::newRow("ticked shows all") << explorer << "c:\\windows\\explorer.exe" << 1 << false << all << -1;
        QTest::newRow("greyed still tests") << explorer << "c:\\windows\\explorer.exe" << 2 << true << all << -1;
        QTest::newRow("empty list") << QStringList{} << "c:\\windows\\explorer.exe" << 0 << false << all << -1;
        QTest::newRow("prefix of an entry is not trusted")
            << QStringList{"c:\\app\\a.exe.bak"} << "c:\\app\\a.exe" << 0 << false << all << -1;
        QTest::newRow("prefix on linux") << QStringList{"/usr/bin/python3"} << "/usr/bin/py" << 0 << false << all << -1;
        QTest::newRow("entry with arguments") << QStringList{"c:\\windows\\explorer.exe /e"}
                                              << "c:\\windows\\explorer.exe" << 0 << false << all << -1;
        QTest::newRow("folder entry") << QStringList{"c:\\windows\\"} << "c:\\windows\\explorer.exe" << 0 << false << all << -1;
        QTest::newRow("empty path, any entry") << QStringList{"/usr/bin/x", ""} << "" << 0 << false << all << -1;
        QTest::newRow("deleted binary") << QStringList{"/usr/bin/tool"} << "/usr/bin/tool (deleted)" << 0 << false << all << -1;
        QTest::newRow("trailing blank") << QStringList{"/usr/bin/tool"} << "/usr/bin/tool " << 0 << false << all << -1;
        QTest::newRow("several match") << QStringList{"/a", "/usr/bin/tool", "/USR/BIN/TOOL"} << "/usr/bin/tool" << 0 << true << all << -1;
        // The file test: asked only for entries equal to the path, and
        // then it decides.
        QTest::newRow("no match, no file test") << QStringList{"/a", "/b"} << "/c" << 0 << false << all << 0;
        QTest::newRow("another file behind the path")
            << QStringList{"/usr/bin/sleep"} << "/usr/bin/sleep" << 0 << false << QStringList{} << 1;
        QTest::newRow("lookalike letter, another file")
            << QStringList{"/opt/kit"} << QString::fromUtf8("/opt/\u212Ait") << 0 << false << QStringList{} << 1;
        QTest::newRow("second alike entry names the file") << QStringList{"/USR/BIN/TOOL", "/usr/bin/tool"}
                                                           << "/usr/bin/tool" << 0 << true
                                                           << QStringList{"/usr/bin/tool"} << 2;
        QTest::newRow("ticked asks nothing") << explorer << "c:\\windows\\explorer.exe" << 1 << false << all << 0;
        // "sl\u0435ep": a Cyrillic e among Latin letters.
        const QString lookAlike = QString::fromUtf8("/opt/araclar/sl\u0435ep");
        QTest::newRow("look-alike, Latin entry") << QStringList{"/opt/araclar/sleep"} << lookAlike << 0 << false << all << 0;
        QTest::newRow("look-alike, its own entry") << QStringList{lookAlike} << lookAlike << 0 << true << all << 1;
        QTest::newRow("look-alike, its entry in capitals")
            << QStringList{lookAlike.toUpper()} << lookAlike << 0 << false << all << 0;
        QTest::newRow("turkish letters") << QStringList{"/opt/ÇALIŞ/x"} << "/opt/çaliş/x" << 0 << true << all << -1;
    }
    void mixedScript_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");   // empty: none; else a word the reason holds
        QTest::newRow("Latin") << "/usr/bin/sleep" << "";
        QTest::newRow("Turkish letters") << QString::fromUtf8("/opt/çalış/ağ") << "";
        QTest::newRow("all Cyrillic") << QString::fromUtf8("/opt/\u0441\u043f\u0430\u0442\u044c") << "";
        QTest::newRow("Cyrillic folder, Latin file") << QString::fromUtf8("/opt/\u0441\u043f/sleep") << "";
        QTest::newRow("Cyrillic e in sleep") << QString::fromUtf8("/opt/sl\u0435ep") << "Kiril";
        QTest::newRow("Greek omicron in a folder") << QString::fromUtf8("c:\\t\u03bfols\\x.exe") << "Yunan";
        QTest::newRow("Kelvin sign is Latin") << QString::fromUtf8("/opt/\u212Ait") << "";
        QTest::newRow("digits and Cyrillic") << QString::fromUtf8("/opt/\u04352") << "";
    }
    void mixedScript()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        const QString got = MixedScriptReason(path);
        QCOMPARE(got.isEmpty(), reason.isEmpty());
        QVERIFY2(got.contains(reason), qPrintable(got));
    }

    // Programs that run other programs' text: by the file's name, by the
    // system's list of shells (handed in, as the platform gives it), and
    // by the name of the file a link leads to.
    void interpreters_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("shells");   // the system's list
        QTest::addColumn<QString>("leadsTo");      // the path is a link to a file of this name
        QTest::addColumn<bool>("interpreter");
        const QStringList none;
        const struct {
            const char* path;
            bool interpreter;
        } names[] = {
            {"/bin/sh", true}, {"/usr/bin/dash", true}, {"/usr/bin/bash", true}, {"/bin/zsh", true},
            {"/usr/bin/python3", true}, {"/usr/bin/python3.11", true}, {"/usr/bin/python2.7", true},
            {"/usr/bin/python3.11-dbg", true}, {"/usr/bin/python3.7m", true}, {"/usr/bin/python", true},
            {"/usr/bin/perl", true}, {"/usr/bin/perl5.36.0", true}, {"/usr/bin/ruby3.1", true},
            {"/usr/bin/node", true}, {"/usr/bin/php8.2", true}, {"/usr/sbin/php-fpm8.2", true},
            {"/usr/bin/lua5.4", true}, {"/usr/bin/tclsh8.6", true}, {"/usr/bin/wish8.6", true},
            {"/usr/bin/java", true}, {"/usr/bin/pwsh", true}, {"/usr/bin/awk", true}, {"/bin/busybox", true},
            {"C:\\Windows\\System32\\cmd.exe", true}, {"c:\\windows\\system32\\CMD.EXE", true},
            {"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe", true},
            {"C:\\Windows\\System32\\wscript.exe", true}, {"C:\\Windows\\System32\\cscript.exe", true},
            {"C:\\Windows\\System32\\mshta.exe", true}, {"C:\\Python311\\python.exe", true},
            {"C:\\Python311\\pythonw.exe", true}, {"C:\\Program Files\\PowerShell\\7\\pwsh.exe", true},
            {"C:\\Program Files\\nodejs\\node.exe", true}, {"C:\\Program Files\\Git\\bin\\bash.exe", true},
            {"/usr/bin/BASH", true},
            // Not interpreters, though their names come close.
            {"/usr/bin/sleep", false}, {"/usr/bin/ssh", false}, {"/usr/bin/shred", false},
            {"/usr/bin/bashbug", false}, {"/usr/bin/python3-config", false}, {"/usr/bin/perldoc", false},
            {"/usr/bin/nodeenv", false}, {"/usr/bin/javac", false}, {"/usr/bin/php-config8.2", false},
            {"/usr/bin/cmd", false}, {"/usr/bin/powershell", false}, {"/opt/python3/bin/tool", false},
            {"C:\\Windows\\explorer.exe", false}, {"C:\\Windows\\cmd.exe.bak", false}, {"", false},
            {"/usr/bin/", false}, {"/opt/sh/x", false},
        };
        for (const auto& n : names)
            QTest::newRow(n.path) << QString::fromUtf8(n.path) << none << QString() << n.interpreter;
        QTest::newRow("listed shell") << "/usr/bin/tmux" << QStringList{"/bin/sh", "/usr/bin/tmux"} << QString() << true;
        QTest::newRow("listed shell, other path")
            << "/usr/local/bin/tmux" << QStringList{"/usr/bin/tmux"} << QString() << false;
        QTest::newRow("not listed") << "/usr/bin/tmux" << QStringList{"/bin/sh"} << QString() << false;
        QTest::newRow("link to python3.11") << "runner" << none << "python3.11" << true;
        QTest::newRow("link to sleep") << "runner" << none << "sleep" << false;
    }
    void interpreters()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, shells);
        QFETCH(QString, leadsTo);
        QFETCH(bool, interpreter);
        std::vector<std::string> listed;
        for (const QString& s : shells)
            listed.push_back(s.toStdString());
        const InterpreterCheck check(listed);
        QTemporaryDir dir;
        if (!leadsTo.isEmpty() && QSysInfo::productType() == QLatin1String("windows"))
            QSKIP("an ordinary Windows account makes no symbolic links");
        if (!leadsTo.isEmpty()) {
            QFile target(dir.filePath(leadsTo));
            QVERIFY(target.open(QIODevice::WriteOnly));
            QVERIFY(QFile::link(leadsTo, dir.filePath(path)));
            path = dir.filePath(path);
            QVERIFY(!check.named(path));   // the link's own name tells nothing
        } else {
            QCOMPARE(check.named(path), interpreter);
        }
        QCOMPARE(check.runsScripts(path), interpreter);
    }

    void rows()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, path);
        QFETCH(int, check1);
        QFETCH(bool, trusted);
        QFETCH(QStringList, sameFile);
        QFETCH(int, asked);
        ListView trList;
        for (const QString& e : entries)
            trList.add(e);
        int asks = 0;
        const auto runs = [&](const QString& entry) {
            ++asks;
            return sameFile.contains(QStringLiteral("*")) || sameFile.contains(entry);
        };
        QCOMPARE(IsTrusted(path, check1, trList, runs), trusted);
        if (asked >= 0)
            QCOMPARE(asks, asked);
    }

    void lowercasesTheCallersString()
    {
        ListView trList;
        trList.add("c:\\windows\\explorer.exe");
        QString path = "C:\\WINDOWS\\Explorer.EXE";
        QVERIFY(IsTrusted(path, 0, trList, anyFile));
        QCOMPARE(path, QStringLiteral("c:\\windows\\explorer.exe"));
    }

    void listChangesTakeEffect()
    {
        ListView trList;
        trList.add("/bin/a");
        QString p = "/bin/b";
        QVERIFY(!IsTrusted(p, 0, trList, anyFile));
        trList.add("/bin/b");
        QVERIFY(IsTrusted(p, 0, trList, anyFile));
        trList.clear();
        QVERIFY(!IsTrusted(p, 0, trList, anyFile));
    }
};

QTEST_MAIN(TestIsTrusted)
#include "test_is_trusted.moc"
