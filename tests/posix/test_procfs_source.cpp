#include "fakes/fake_process_source.h"
#include "platform/os/posix/exec_events.h"
#include "platform/os/posix/loader_lookup.h"
#include "platform/os/posix/procfs_process_source.h"
#include "platform/os/posix/procfs_tasks.h"
#include "posix/support/fake_proc_tree.h"
#include "posix/support/spawned_process.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zerva;
using namespace zerva::test;

namespace {

// stat fields 3..24 with nice -5, 4 threads and 25 resident pages.
const QByteArray kStatTail = " S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 20 -5 4 0 99 1000 25 0 0\n";

// Whether exec events reach a child of this test that first enters the
// namespaces of `flags`: 0 they do, 1 they do not, 2 it could not enter.
int ExecEventsIn(int flags)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (flags != 0 && ::unshare(flags) != 0)
            ::_exit(2);
        // A new pid namespace is its first process's children's.
        if (flags & CLONE_NEWPID) {
            const pid_t inner = ::fork();
            if (inner != 0) {
                int status = 0;
                ::_exit(inner > 0 && ::waitpid(inner, &status, 0) == inner && WIFEXITED(status) ? WEXITSTATUS(status) : 2);
            }
        }
        bool works = false;
        {
            ExecEvents events;
            std::vector<std::int64_t> execs;
            for (int i = 0; i < 20 && !events.working(); ++i) {
                ::usleep(5000);
                events.drain(execs);
            }
            works = events.working();
        }
        ::_exit(works ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}

// Whether this program runs in the kernel's first user and pid namespaces
// (their inode numbers are fixed).
bool InFirstNamespaces()
{
    char user[64] = {}, pid[64] = {};
    return ::readlink("/proc/self/ns/user", user, sizeof user - 1) > 0
        && ::readlink("/proc/self/ns/pid", pid, sizeof pid - 1) > 0
        && std::string(user) == "user:[4026531837]" && std::string(pid) == "pid:[4026531836]";
}

// /bin/sleep with one change, made through its ELF header: "" for none,
// "cut" (its first 20 bytes only), "phoff" (program headers past the end),
// "phnum" (65 535 of them), "unended" (the loader's name loses its final
// NUL), "relative" (its name does not start with '/'), "order" (the other
// byte order).
QByteArray ChangedSleep(const QString& change)
{
    QFile file(QStringLiteral("/bin/sleep"));
    QByteArray b = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (b.size() < int(sizeof(Elf64_Ehdr)) || change.isEmpty())
        return b;
    Elf64_Ehdr h;
    std::memcpy(&h, b.constData(), sizeof h);
    if (change == QLatin1String("cut"))
        return b.left(20);
    if (change == QLatin1String("phoff"))
        h.e_phoff = 1ULL << 40;
    if (change == QLatin1String("phnum"))
        h.e_phnum = 0xffff;
    if (change == QLatin1String("order"))
        b[EI_DATA] = char(b[EI_DATA] == ELFDATA2LSB ? ELFDATA2MSB : ELFDATA2LSB);
    for (int i = 0; i < h.e_phnum && change != QLatin1String("phnum") && change != QLatin1String("phoff"); ++i) {
        Elf64_Phdr p;
        std::memcpy(&p, b.constData() + h.e_phoff + i * sizeof p, sizeof p);
        if (p.p_type != PT_INTERP)
            continue;
        if (change == QLatin1String("unended"))
            b[qsizetype(p.p_offset + p.p_filesz - 1)] = 'x';
        if (change == QLatin1String("relative"))
            b[qsizetype(p.p_offset)] = 'l';
    }
    if (change != QLatin1String("order"))
        std::memcpy(b.data(), &h, sizeof h);
    return b;
}

} // namespace

class TestProcfsSource : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The loader a program file names, read within bounds from files of
    // any shape: "loader" for a name of a file that exists, "none" for a
    // program that names none, "-" for a file that tells nothing.
    void elfInterpreter_data()
    {
        QTest::addColumn<QString>("file");   // a path, or "sleep:CHANGE" (ChangedSleep), or "text:..."
        QTest::addColumn<QString>("answer");
        QTest::newRow("a dynamic program") << "/bin/sleep" << "loader";
        QTest::newRow("a static program") << "/sbin/ldconfig" << "none";
        QTest::newRow("a script") << "text:#!/bin/sh\n" << "-";
        QTest::newRow("an empty file") << "text:" << "-";
        QTest::newRow("a header cut short") << "sleep:cut" << "-";
        QTest::newRow("headers past the end") << "sleep:phoff" << "-";
        QTest::newRow("65 535 headers") << "sleep:phnum" << "-";
        QTest::newRow("a name without its end") << "sleep:unended" << "-";
        QTest::newRow("a relative name") << "sleep:relative" << "-";
        QTest::newRow("the other byte order") << "sleep:order" << "-";
    }
    void elfInterpreter()
    {
        QFETCH(QString, file);
        QFETCH(QString, answer);
        if (file == QLatin1String("/sbin/ldconfig") && !QFile::exists(file))
            QSKIP("no /sbin/ldconfig here");
        QTemporaryDir dir;
        QString path = file;
        if (file.startsWith(QLatin1String("sleep:")) || file.startsWith(QLatin1String("text:"))) {
            path = dir.filePath(QStringLiteral("program"));
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(file.startsWith(QLatin1String("sleep:")) ? ChangedSleep(file.mid(6))
                                                               : file.mid(5).toUtf8());
        }
        const int fd = ::open(qPrintable(path), O_RDONLY | O_CLOEXEC);
        QVERIFY(fd >= 0);
        const std::optional<std::string> name = ElfInterpreter(fd);
        ::close(fd);
        const QString got = !name ? QStringLiteral("-")
            : name->empty()       ? QStringLiteral("none")
            : QFile::exists(QString::fromStdString(*name)) ? QStringLiteral("loader")
                                                           : QString::fromStdString(*name);
        QCOMPARE(got, answer);
        if (answer == QLatin1String("loader")) {
            // The one this test itself runs with.
            QFile maps(QStringLiteral("/proc/self/maps"));
            QVERIFY(maps.open(QIODevice::ReadOnly));
            const QString loader = QFileInfo(QString::fromStdString(*name)).canonicalFilePath();
            QVERIFY2(maps.readAll().contains(loader.toUtf8()), qPrintable(loader));
        }
    }

    void craftedTree()
    {
        FakeProcTree proc;
        QVERIFY(proc.isValid());
        const QDir d = proc.dir();
        // A process whose comm holds blanks and parentheses.
        QVERIFY(proc.addProcess(100, "my (odd) name", kStatTail, QByteArray("some tool\0--a\0b c\0", 18),
                                QStringLiteral("/usr/bin/some tool")));
        // A kernel thread: no exe link, empty cmdline, PF_KTHREAD in its flags.
        QVERIFY(proc.addProcess(200, "kworker/0:1", " S 2 0 0 0 -1 2129984 0 0 0 0 0 0 0 0 20 0 1 0 99 0 0\n", ""));
        // A process that ended between readdir and reading its files.
        d.mkpath("300");
        // Not processes.
        d.mkpath("sys");
        QVERIFY(QFile::link(d.filePath("100"), d.filePath("self")));

        ProcfsProcessSource source(proc.path());
        std::vector<ProcessInfo> ps;
        QVERIFY(source.snapshot(ps));
        QCOMPARE(ps.size(), std::size_t(2));

        const ProcessInfo* p = FindPid(ps, 100);
        QVERIFY(p);
        QCOMPARE(p->executablePath.value(), std::string("/usr/bin/some tool"));
        QCOMPARE(p->caption.value(), std::string("some tool"));
        QCOMPARE(p->description.value(), std::string("some tool"));
        QCOMPARE(p->name.value(), std::string("my (odd) name"));
        QCOMPARE(p->commandLine.value(), std::string("some tool --a b c"));
        QCOMPARE(p->priority.value(), std::int64_t(25));
        QCOMPARE(p->threadCount.value(), std::int64_t(4));
        QCOMPARE(p->pageFileUsage.value(), std::int64_t(25) * sysconf(_SC_PAGESIZE));

        const ProcessInfo* k = FindPid(ps, 200);
        QVERIFY(k);
        QVERIFY(!k->executablePath);
        QVERIFY(!k->commandLine);
        QCOMPARE(k->caption.value(), std::string("kworker/0:1"));
        QCOMPARE(k->name.value(), std::string("kworker/0:1"));
        QVERIFY(!k->pathSuspect);
    }

    // A process whose program cannot be read: hidden from us, or just not
    // there? Only the first is suspect.
    void unreadableProgram_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("uids");        // the Uid: line; empty: no status file
        QTest::addColumn<int>("reader");
        QTest::addColumn<QString>("threadLink");  // a later thread's exe link, if any
        QTest::addColumn<QString>("path");        // "-": none
        QTest::addColumn<bool>("suspect");
        // The states of threads 43, 44, ... (each "Z", "S", or "?" for a
        // stat that cannot be read); empty: thread 43 has already gone.
        QTest::addColumn<QStringList>("tasks");
        QTest::addColumn<int>("why");             // ProcessInfo::NoProgram, for the hidden count
        const int kthread = 0x00200000;
        QTest::newRow("ours, hidden") << "S" << 0 << "1000\t1000\t1000\t1000" << 1000 << "" << "-" << true << QStringList{} << 0;
        QTest::newRow("kernel thread") << "S" << kthread << "0\t0\t0\t0" << 0 << "" << "-" << false << QStringList{} << 1;
        QTest::newRow("another user's") << "S" << 0 << "0\t0\t0\t0" << 1000 << "" << "-" << false << QStringList{} << 0;
        QTest::newRow("another user's, we are root") << "S" << 0 << "33\t33\t33\t33" << 0 << "" << "-" << true << QStringList{} << 0;
        QTest::newRow("set-uid program we started") << "S" << 0 << "1000\t0\t0\t0" << 1000 << "" << "-" << false << QStringList{} << 0;
        QTest::newRow("status unreadable") << "R" << 0 << "" << 1000 << "" << "-" << false << QStringList{} << 0;
        QTest::newRow("zombie") << "Z" << 0 << "1000\t1000\t1000\t1000" << 1000 << "" << "-" << false << QStringList{} << 2;
        QTest::newRow("on its way out") << "R" << 4 << "1000\t1000\t1000\t1000" << 1000 << "" << "-" << false << QStringList{} << 2;
        QTest::newRow("first thread ended, another runs")
            << "Z" << 0 << "1000\t1000\t1000\t1000" << 1000 << "/usr/bin/tool" << "/usr/bin/tool" << false << QStringList{} << 0;
        // A process has ended only when none of its threads is alive.
        const QString ours = "1000\t1000\t1000\t1000";
        QTest::newRow("first thread a zombie, zombies in front of a live one")
            << "Z" << 0 << ours << 1000 << "" << "-" << true << QStringList{"Z", "Z", "Z", "S"} << 0;
        QTest::newRow("every thread a zombie") << "Z" << 0 << ours << 1000 << "" << "-" << false << QStringList{"Z", "Z"} << 2;
        QTest::newRow("first thread on its way out, another runs")
            << "R" << 4 << ours << 1000 << "" << "-" << true << QStringList{"S"} << 0;
        QTest::newRow("a thread that cannot be read") << "Z" << 0 << ours << 1000 << "" << "-" << true << QStringList{"Z", "?"} << 0;
        QTest::newRow("more zombies than are looked at")
            << "Z" << 0 << ours << 1000 << "" << "-" << true << QStringList(1100, "Z") << 0;
    }
    void unreadableProgram()
    {
        QFETCH(QString, state);
        QFETCH(int, flags);
        QFETCH(QString, uids);
        QFETCH(int, reader);
        QFETCH(QString, threadLink);
        QFETCH(QString, path);
        QFETCH(bool, suspect);
        QFETCH(int, why);
        QFETCH(QStringList, tasks);
        FakeProcTree proc;
        QVERIFY(proc.isValid());
        QVERIFY(proc.addProcess(42, "p", QStringLiteral(" %1 1 2 3 4 5 %2 7 8 9 10 11 12 13 14 20 0 2 0 99 1000 25\n").arg(state).arg(flags).toUtf8(), ""));
        QVERIFY(proc.dir().mkpath("42/task/43"));
        if (!uids.isEmpty())
            QVERIFY(proc.addFile("42/status", ("Name:\tp\nState:\tS\nUid:\t" + uids + "\nGid:\t0\t0\t0\t0\n").toUtf8()));
        if (!threadLink.isEmpty())
            QVERIFY(QFile::link(threadLink, proc.dir().filePath("42/task/43/exe")));
        for (int t = 0; t < tasks.size(); ++t) {
            const QString stat = QStringLiteral("42/task/%1/stat").arg(43 + t);
            if (tasks[t] == QLatin1String("?"))
                QVERIFY(proc.dir().mkpath(stat));   // reading a folder fails
            else
                QVERIFY(proc.addFile(stat, QStringLiteral("%1 (p) %2 1 2 3 4 5 0 7\n").arg(43 + t).arg(tasks[t]).toUtf8()));
        }
        ProcfsProcessSource source(proc.path(), unsigned(reader));
        std::vector<ProcessInfo> ps;
        QVERIFY(source.snapshot(ps));
        QCOMPARE(ps.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(ps[0].executablePath.value_or("-")), path);
        QCOMPARE(ps[0].pathSuspect, suspect);
        QCOMPARE(int(ps[0].noProgram), why);
    }

    // A thread that goes in the middle of a look answers EACCES, not
    // ENOENT: it has gone, it did not refuse.
    void failedLook_data()
    {
        QTest::addColumn<bool>("there");
        QTest::addColumn<int>("err");
        QTest::addColumn<bool>("absent");
        QTest::newRow("gone") << false << ENOENT << true;
        QTest::newRow("reaped while read") << false << ESRCH << true;
        QTest::newRow("gone while its access was checked") << false << EACCES << true;
        QTest::newRow("refused") << true << EACCES << false;
        QTest::newRow("refused, other error") << true << EPERM << false;
    }
    void failedLook()
    {
        QFETCH(bool, there);
        QFETCH(int, err);
        QFETCH(bool, absent);
        FakeProcTree proc;
        QVERIFY(proc.isValid());
        if (there)
            QVERIFY(proc.dir().mkpath("42/task/43"));
        const int root = ::open(proc.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        QVERIFY(root >= 0);
        const TaskWalk::Answer answer = FailedLook(root, "42/task/43", err);
        ::close(root);
        QCOMPARE(answer == TaskWalk::Answer::Absent, absent);
    }

    void missingRootIsUnavailable()
    {
        ProcfsProcessSource source("/nonexistent/proc");
        std::vector<ProcessInfo> ps{ProcessInfo{}};
        QVERIFY(!source.snapshot(ps));
        QVERIFY(ps.empty());
    }

    void realProcFindsThisProcess()
    {
        ProcfsProcessSource source;
        std::vector<ProcessInfo> ps;
        QVERIFY(source.snapshot(ps));
        const ProcessInfo* me = FindPid(ps, getpid());
        QVERIFY(me);
        const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
        QCOMPARE(QString::fromStdString(me->executablePath.value()), exe);
        QCOMPARE(QString::fromStdString(me->caption.value()), QFileInfo(exe).fileName());
        QVERIFY(me->threadCount.value() >= 1);
        QVERIFY(me->pageFileUsage.value() > 0);
        errno = 0;
        QCOMPARE(me->priority.value(), std::int64_t(20 - getpriority(PRIO_PROCESS, 0)));
        QVERIFY(QString::fromStdString(me->commandLine.value()).contains(QFileInfo(exe).fileName()));
    }

    // Snapshots keep the head of a long command line; the whole one is read
    // by process id and start time, and only while that process runs.
    void commandLineHead()
    {
        const std::string zeros(5000, '0');
        SpawnedProcess sleeper("/bin/sleep", {"1000", zeros});
        QVERIFY(sleeper.started());
        ProcfsProcessSource source;
        source.limitCommandLines(1024);
        std::vector<ProcessInfo> ps;
        const ProcessInfo* p = nullptr;
        // posix_spawn returns once the program is exec'd, but its arguments
        // show in /proc a moment later.
        QElapsedTimer waited;
        waited.start();
        do {
            QVERIFY(source.snapshot(ps));
            p = FindPid(ps, sleeper.pid());
        } while ((!p || !p->commandLine) && waited.elapsed() < 5000 && (QThread::msleep(5), true));
        QVERIFY(p && p->startTime && p->commandLine);
        QCOMPARE(p->commandLine.value(), ("/bin/sleep 1000 " + zeros).substr(0, 1024) + "...");
        QCOMPARE(source.commandLine(p->pid, *p->startTime).value(), "/bin/sleep 1000 " + zeros);
        QVERIFY(!source.commandLine(p->pid, *p->startTime + 1));
        const std::uint64_t started = *p->startTime;
        const pid_t pid = sleeper.pid();
        sleeper.end();
        QVERIFY(!source.commandLine(pid, started));
    }

    // A process scanned, then exec'd, shows its new program at a following
    // snapshot, whether its link is kept between execs or read every time;
    // a program file renamed while it runs (no exec) within a few.
    void execSeenAtNextSnapshot_data()
    {
        QTest::addColumn<bool>("execEvents");
        QTest::addColumn<int>("keptFiles");
        QTest::addColumn<bool>("rename");
        const int budget = int(ProcfsProcessSource::KeptFilesBudget);
        QTest::newRow("exec events followed") << true << budget << false;
        QTest::newRow("every link read") << false << budget << false;
        QTest::newRow("no files kept, so no link") << true << 0 << false;
        QTest::newRow("program renamed, exec events followed") << true << budget << true;
        QTest::newRow("program renamed, every link read") << false << budget << true;
    }
    void execSeenAtNextSnapshot()
    {
        QFETCH(bool, execEvents);
        QFETCH(int, keptFiles);
        QFETCH(bool, rename);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString tool = dir.filePath("tool");
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), tool));
        SpawnedProcess shell(rename ? tool.toStdString() : "/bin/sh",
                             rename ? std::vector<std::string>{"1000"}
                                    : std::vector<std::string>{"-c", "read line; exec /bin/sleep 1000"},
                             rename ? SpawnedProcess::Input::Inherited : SpawnedProcess::Input::Pipe);
        QVERIFY(shell.started());
        QTRY_VERIFY(!shell.exePath().empty());
        const std::string before = shell.exePath();
        const std::string after = rename ? QFileInfo(dir.path()).canonicalFilePath().toStdString() + "/renamed"
                                         : QFileInfo(QStringLiteral("/bin/sleep")).canonicalFilePath().toStdString();
        QVERIFY(before != after);
        ProcfsProcessSource source("/proc", std::nullopt, std::size_t(keptFiles), execEvents);
        std::vector<ProcessInfo> ps;
        // Twice: the second time through what the first one kept.
        for (int i = 0; i < 2; ++i) {
            QVERIFY(source.snapshot(ps));
            const ProcessInfo* p = FindPid(ps, shell.pid());
            QVERIFY(p);
            QCOMPARE(p->executablePath.value_or("-"), before);
        }
        if (rename)
            QVERIFY(QFile::rename(tool, dir.filePath("renamed")));
        else
            QVERIFY(shell.writeInput("\n"));
        std::string path;
        QElapsedTimer waited;
        waited.start();
        do {
            QVERIFY(source.snapshot(ps));
            const ProcessInfo* p = FindPid(ps, shell.pid());
            QVERIFY(p);
            path = p->executablePath.value_or("-");
        } while (path != after && waited.elapsed() < 5000 && (QThread::msleep(5), true));
        QCOMPARE(path, after);
        QCOMPARE(FindPid(ps, shell.pid())->caption.value(), std::string(rename ? "renamed" : "sleep"));
    }

    // The kernel sends exec events only to listeners in its first user and
    // pid namespaces, and ignores the others without a word: the reader
    // must wait for its answer, not take silence for consent.
    void execEventsOnlyWhereTheyReach_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("works");
        QTest::newRow("this program's namespaces") << 0 << true;
        QTest::newRow("a user namespace of its own") << int(CLONE_NEWUSER) << false;
        QTest::newRow("a pid namespace of its own") << int(CLONE_NEWPID) << false;
    }
    void execEventsOnlyWhereTheyReach()
    {
        QFETCH(int, flags);
        QFETCH(bool, works);
        const int got = ExecEventsIn(flags);
        if (got == 2)
            QSKIP("this account may not enter such a namespace");
        if (works && got != 0 && (::geteuid() != 0 || !InFirstNamespaces()))
            QSKIP("the kernel sends exec events to root alone (CAP_NET_ADMIN)");
        QCOMPARE(got == 0, works);
    }
};

QTEST_GUILESS_MAIN(TestProcfsSource)
#include "test_procfs_source.moc"
