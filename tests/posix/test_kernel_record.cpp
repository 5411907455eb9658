// What root's Zerva learns from the kernel as things happen: a tracer that
// attaches for a moment, the file the kernel executed for a process. First
// the bookkeeping of the events, fed by hand; then real processes, as root
// where the kernel reports its events.
#include "posix/support/code_rewrite.h"
#include "posix/support/forged_link_process.h"
#include "posix/support/listed_row.h"
#include "posix/support/spawned_process.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/os/posix/exec_events.h"
#include "platform/os/posix/kernel_log.h"
#include "platform/os/posix/procfs_process_source.h"
#include "process/list_processes.h"
#include "trusted/trust_memory.h"
#include "trusted/trust_verdict.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <climits>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zerva;
using namespace zerva::test;

namespace {

// Why the kernel's events cannot be had here; empty when they can.
QString noEvents()
{
    if (::geteuid() != 0)
        return QStringLiteral("the kernel reports process events to root only");
    ExecEvents events;
    std::vector<std::int64_t> execs;
    QDeadlineTimer deadline(3000);
    while (!events.working() && !deadline.hasExpired()) {
        events.drain(execs);
        QThread::msleep(20);
    }
    return events.working() ? QString() : QStringLiteral("the kernel refused its process events");
}

// A copy of /bin/sleep, made a moment before it runs.
struct TrustedCopy {
    QTemporaryDir dir;
    QString path;
    TrustedCopy()
    {
        path = dir.path() + QStringLiteral("/tool");
        if (!QFile::copy(QStringLiteral("/bin/sleep"), path)
            || !QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther))
            path.clear();
    }
};

// The process list as a refreshing window keeps it.
struct Refreshes {
    ProcfsProcessSource source;
    TrustMemory memory;
    ListView list, trList;
    CheckBox box{QString()};
    HiddenCount hidden;
    explicit Refreshes(const QString& entry) { trList.add(entry); }
    void refresh() { hidden = ListProcesses(list, source, box, trList, &memory); }
};

} // namespace

class TestKernelRecord : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Events in the kernel's order, ';' between them: "fork CHILD PARENT",
    // "exec PID", "open PID INODE" (the file the kernel opened to execute),
    // "attach PID", "lost" (a drain that lost some), "reported" (opens are
    // reported from then on). Each event is a drain of its own.
    void kernelLog_data()
    {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("record");   // of pid 10: "unknown", "unreported" or "file INODE...", " attached"

        QTest::newRow("nothing seen") << "" << "unknown";
        QTest::newRow("an exec before opens are reported") << "exec 10" << "unknown";
        QTest::newRow("an exec of an unwatched file") << "reported; exec 10" << "unreported";
        QTest::newRow("an exec of a watched file") << "reported; open 10 7; exec 10" << "file 7";
        QTest::newRow("the program and its loader") << "reported; open 10 6; open 10 7; exec 10" << "file 6 7";
        QTest::newRow("the last four opens")
            << "reported; open 10 1; open 10 2; open 10 3; open 10 4; open 10 5; exec 10" << "file 2 3 4 5";
        QTest::newRow("an open belongs to one exec") << "reported; open 10 7; exec 10; exec 10" << "unreported";
        QTest::newRow("another process's open") << "reported; open 11 7; exec 10" << "unreported";
        QTest::newRow("a fork takes its parent's file") << "reported; open 9 7; exec 9; fork 10 9" << "file 7";
        QTest::newRow("then its own exec") << "reported; open 9 7; exec 9; fork 10 9; exec 10" << "unreported";
        QTest::newRow("a fork of a process begun before") << "reported; fork 10 9" << "unknown";
        QTest::newRow("a fork, then its exec, in one drain")
            << "reported; open 10 7; fork 10 9; exec 10" << "file 7";
        QTest::newRow("a fork under the pid of an ended process")
            << "reported; open 10 7; exec 10; fork 10 9" << "unknown";
        QTest::newRow("a loss forgets what runs") << "reported; open 10 7; exec 10; lost" << "unknown";
        QTest::newRow("an exec after a loss") << "reported; lost; exec 10" << "unreported";
        QTest::newRow("an open kept through a loss of the others") << "reported; open 10 7; lost; exec 10" << "file 7";
        QTest::newRow("an attach") << "attach 10" << "unknown attached";
        QTest::newRow("an attach stays through an exec") << "reported; attach 10; exec 10" << "unreported attached";
        QTest::newRow("an attach stays through a loss") << "attach 10; lost" << "unknown attached";
        QTest::newRow("a fork of an attached process") << "attach 9; fork 10 9" << "unknown attached";
        QTest::newRow("a new process under its pid") << "attach 10; fork 10 9" << "unknown";
    }
    void kernelLog()
    {
        QFETCH(QString, events);
        QFETCH(QString, record);
        KernelLog log;
        for (const QString& e : events.split(u';', Qt::SkipEmptyParts)) {
            const QStringList f = e.trimmed().split(u' ');
            const auto n = [&](int i) { return f.value(i).toLongLong(); };
            if (f[0] == QLatin1String("reported"))
                log.reportOpens(true);
            else if (f[0] == QLatin1String("lost"))
                log.follow({}, false);
            else if (f[0] == QLatin1String("open"))
                log.execOpened(n(1), FileId{1, static_cast<std::uint64_t>(n(2))});
            else if (f[0] == QLatin1String("fork"))
                log.follow({{ProcessEvent::Kind::Fork, n(1), n(2)}}, true);
            else if (f[0] == QLatin1String("exec"))
                log.follow({{ProcessEvent::Kind::Exec, n(1), 0}}, true);
            else if (f[0] == QLatin1String("attach"))
                log.follow({{ProcessEvent::Kind::Attach, n(1), 0}}, true);
            else
                QFAIL(qPrintable(e));
        }
        const KernelRecord r = log.seen(10, 1);
        QString got = r.exec == KernelRecord::Exec::Unknown ? QStringLiteral("unknown")
            : r.exec == KernelRecord::Exec::Unreported      ? QStringLiteral("unreported")
                                                            : QStringLiteral("file");
        for (std::size_t i = 0; r.exec == KernelRecord::Exec::File && i < r.executedCount; ++i)
            got += QStringLiteral(" %1").arg(r.executed[i].inode);
        if (r.attached)
            got += QStringLiteral(" attached");
        QCOMPARE(got, record);
        // Kept while seen, dropped once a scan misses it.
        log.sweep(1);
        QCOMPARE(log.seen(10, 2).attached, r.attached);
        log.sweep(3);
        QCOMPARE(log.size(), std::size_t(0));
    }

    // A tracer that is there for 20 ms between two refreshes and leaves:
    // one that attaches (the kernel reports the attach), or one the program
    // was started under (PTRACE_TRACEME, never reported; its detach is). The
    // process is listed for its life.
    void attachBurst_data()
    {
        QTest::addColumn<bool>("traceMe");
        QTest::newRow("an attach") << false;
        QTest::newRow("started traced") << true;
    }
    void attachBurst()
    {
        QFETCH(bool, traceMe);
        if (const QString why = noEvents(); !why.isEmpty())
            QSKIP(qPrintable(why));
        TrustedCopy copy;
        QVERIFY(!copy.path.isEmpty());
        std::unique_ptr<SpawnedProcess> spawned;
        struct Child {
            pid_t pid = -1;
            ~Child()
            {
                if (pid > 0) {
                    ::kill(pid, SIGKILL);
                    ::waitpid(pid, nullptr, 0);
                }
            }
        } child;
        Refreshes window(copy.path);
        pid_t pid = -1;
        if (traceMe) {
            // The first refreshes after the start learn nothing of execs.
            for (int i = 0; i < 3; ++i) {
                window.refresh();
                QThread::msleep(20);
            }
            const QByteArray program = copy.path.toLocal8Bit();
            char* const argv[] = {const_cast<char*>(program.constData()), const_cast<char*>("1000"), nullptr};
            child.pid = ::fork();
            if (child.pid == 0) {
                ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
                ::execv(argv[0], argv);
                ::_exit(127);
            }
            pid = child.pid;
            // Stopped at its exec, held for 20 ms, let go.
            int status = 0;
            QCOMPARE(::waitpid(pid, &status, __WALL), pid);
            QVERIFY(WIFSTOPPED(status));
            ::usleep(20000);
            QCOMPARE(::ptrace(PTRACE_DETACH, pid, nullptr, nullptr), 0L);
        } else {
            spawned = std::make_unique<SpawnedProcess>(copy.path.toStdString(), std::vector<std::string>{"1000"});
            QVERIFY(spawned->started());
            pid = spawned->pid();
            window.refresh();
            QCOMPARE(WarningOf(window.list, pid), QStringLiteral("hidden"));
            const pid_t tracer = ::fork();
            if (tracer == 0) {
                // Attached and stopped (a detach needs a stopped tracee), held
                // for 20 ms.
                if (::ptrace(PTRACE_ATTACH, pid, nullptr, nullptr) != 0 || ::waitpid(pid, nullptr, __WALL) != pid)
                    ::_exit(1);
                ::usleep(20000);
                ::_exit(::ptrace(PTRACE_DETACH, pid, nullptr, nullptr) == 0 ? 0 : 2);
            }
            int status = 0;
            QCOMPARE(::waitpid(tracer, &status, 0), tracer);
            QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, "the tracer could not attach and detach");
        }

        const QString traced = WarningText(TrustVerdict::Traced);
        window.refresh();
        QCOMPARE(WarningOf(window.list, pid), traced);
        window.refresh();
        QCOMPARE(WarningOf(window.list, pid), traced);
        // Without the record (a window that began after), the inspection
        // alone sees no tracer now.
        Refreshes later(copy.path);
        later.refresh();
        QCOMPARE(WarningOf(later.list, pid), QStringLiteral("hidden"));
    }

    // Which file the kernel executed for a process started while the
    // window runs: the one its link names, or another.
    void execIdentity_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("warning");
        QTest::newRow("started before the window") << "before" << "hidden";
        QTest::newRow("executed while the window runs") << "exec" << "hidden";
        QTest::newRow("forked from a trusted process") << "fork" << "hidden";
        QTest::newRow("link forged by a process started after")
            << "forged" << WarningText(TrustVerdict::NotExecuted);
    }
    void execIdentity()
    {
        QFETCH(QString, how);
        QFETCH(QString, warning);
        if (const QString why = noEvents(); !why.isEmpty())
            QSKIP(qPrintable(why));
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        if (how == QLatin1String("forged"))
            QSKIP("the forging child runs without its program, which a sanitizer's runtime does not survive");
#endif
        if (how == QLatin1String("forged") && QProcess::execute(QStringLiteral("unshare"), {"-r", "true"}) != 0)
            QSKIP("unprivileged user namespaces are not allowed on this machine");
        TrustedCopy copy;
        QVERIFY(!copy.path.isEmpty());
        std::unique_ptr<SpawnedProcess> before;
        if (how == QLatin1String("before"))
            before = std::make_unique<SpawnedProcess>(copy.path.toStdString(), std::vector<std::string>{"1000"});
        Refreshes window(copy.path);
        // The first refreshes after the start learn nothing of execs.
        for (int i = 0; i < 3; ++i) {
            window.refresh();
            QThread::msleep(20);
        }

        pid_t pid = before ? before->pid() : -1;
        std::unique_ptr<SpawnedProcess> started;
        std::unique_ptr<ForgedLink> forged;
        // The shell's subshell, ended whatever happens: it holds this
        // test's output open.
        struct Killed {
            pid_t pid = -1;
            ~Killed()
            {
                if (pid > 0)
                    ::kill(pid, SIGKILL);
            }
        } subshell;
        if (how == QLatin1String("exec") || how == QLatin1String("fork")) {
            started = std::make_unique<SpawnedProcess>(copy.path.toStdString(), std::vector<std::string>{"1000"});
            pid = started->pid();
        }
        if (how == QLatin1String("fork")) {
            // A trusted shell whose subshell (a fork, no exec) waits on a
            // pipe that no one writes to.
            started.reset();
            QVERIFY(QFile::remove(copy.path));
            QVERIFY(QFile::copy(QStringLiteral("/bin/bash"), copy.path));
            const QString fifo = copy.dir.path() + QStringLiteral("/f");
            QVERIFY(::mkfifo(qPrintable(fifo), 0600) == 0);
            started = std::make_unique<SpawnedProcess>(
                copy.path.toStdString(), std::vector<std::string>{"-c", "( read x < " + fifo.toStdString() + " ); :"});
            QDeadlineTimer deadline(10000);
            const auto child = [&] {
                QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(started->pid()));
                return children.open(QIODevice::ReadOnly) ? children.readAll().trimmed().toInt() : 0;
            };
            while (child() == 0 && !deadline.hasExpired())
                QThread::msleep(10);
            pid = child();
            subshell.pid = pid;
            window.refresh();
            QCOMPARE(WarningOf(window.list, started->pid()), QStringLiteral("hidden"));
        }
        if (how == QLatin1String("forged")) {
            forged = std::make_unique<ForgedLink>(copy.path, true);
            QVERIFY(forged->pid > 0);
            forged->forge();
            QDeadlineTimer deadline(10000);
            const std::string want = copy.path.toStdString();
            const auto link = [&] {
                char buf[PATH_MAX];
                const ssize_t n = ::readlink(("/proc/" + std::to_string(forged->pid) + "/exe").c_str(), buf, sizeof buf);
                return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
            };
            while (link() != want && !deadline.hasExpired())
                QThread::msleep(10);
            QVERIFY2(link() == want, "the kernel did not take the forged link");
            pid = forged->pid;
        }
        QVERIFY(pid > 0);
        QThread::msleep(20);
        // Another file than the link: decided at the second look, after a
        // drain that could have brought a late report of its exec.
        window.refresh();
        window.refresh();
        QCOMPARE(WarningOf(window.list, pid), warning);
    }

    // A trusted process killed and not yet reaped runs nothing: it is not
    // counted as trusted, even while its kept link still names the file.
    void killedNotReaped()
    {
        TrustedCopy copy;
        QVERIFY(!copy.path.isEmpty());
        SpawnedProcess sleeper(copy.path.toStdString(), {"1000"});
        QVERIFY(sleeper.started());
        Refreshes window(copy.path);
        window.refresh();
        QCOMPARE(WarningOf(window.list, sleeper.pid()), QStringLiteral("hidden"));
        QCOMPARE(window.hidden.trusted, 1);

        QCOMPARE(::kill(sleeper.pid(), SIGKILL), 0);
        QDeadlineTimer deadline(10000);
        const auto zombie = [&] {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(sleeper.pid()));
            const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
            return line.mid(line.lastIndexOf(')') + 2, 1) == "Z";
        };
        for (int tries = 0; tries < 1000 && !zombie() && !deadline.hasExpired(); ++tries)
            QThread::msleep(10);
        QVERIFY(zombie());
        window.refresh();
        QCOMPARE(WarningOf(window.list, sleeper.pid()), QStringLiteral("hidden"));
        QCOMPARE(window.hidden.trusted, 0);
        QVERIFY(window.hidden.ending >= 1);
    }

    // One account's thousands of trusted processes do not stretch the wait
    // for a new inspection: the one whose code is rewritten among them is
    // listed within ten seconds.
    void rewrittenAmongThousands()
    {
        constexpr int Sleepers = 2000;
        TrustedCopy copy;
        QVERIFY(!copy.path.isEmpty());
        std::vector<std::unique_ptr<SpawnedProcess>> sleepers;
        for (int i = 0; i < Sleepers; ++i) {
            sleepers.push_back(std::make_unique<SpawnedProcess>(copy.path.toStdString(), std::vector<std::string>{"1000"}));
            if (!sleepers.back()->started())
                QSKIP(qPrintable(QStringLiteral("only %1 processes could be started here").arg(i)));
        }
        const SpawnedProcess& victim = *sleepers[Sleepers / 2];
        Refreshes window(copy.path);
        window.refresh();
        QCOMPARE(WarningOf(window.list, victim.pid()), QStringLiteral("hidden"));
        QVERIFY2(window.hidden.trusted >= Sleepers, qPrintable(QStringLiteral("%1 hidden, %2 listed").arg(window.hidden.trusted).arg(window.list.count())));

        QVERIFY(RewriteCode(victim.pid(), copy.path));
        QElapsedTimer since;
        since.start();
        QElapsedTimer refreshTook;
        // A refresh every half second, as the window makes them.
        for (int refreshes = 0; refreshes < 60 && since.elapsed() < 30000; ++refreshes) {
            refreshTook.start();
            window.refresh();
            if (WarningOf(window.list, victim.pid()) != QLatin1String("hidden"))
                break;
            QThread::msleep(500);
        }
        QCOMPARE(WarningOf(window.list, victim.pid()), WarningText(TrustVerdict::CodeChanged));
        qInfo("listed %lld ms after its code was rewritten", static_cast<long long>(since.elapsed()));
        // Ten seconds, and the refresh that found it (slow on a crowded
        // machine: it may have inspected hundreds).
        QVERIFY2(since.elapsed() <= 10000 + refreshTook.elapsed() + 500,
                 qPrintable(QStringLiteral("listed after %1 ms").arg(since.elapsed())));
    }
};

QTEST_MAIN(TestKernelRecord)
#include "test_kernel_record.moc"
