// The exec reader against real processes: programs that live a few
// milliseconds are recorded with their path.
#include "platform/os/posix/exec_record_reader.h"
#include "posix/support/spawned_process.h"
#include "trusted/exec_record.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>

using namespace zerva;
using namespace zerva::test;

extern char** environ;

namespace {

// A copy of sleep on a tmpfs, made a moment before it runs: a program no
// trusted list names.
QString CopiedSleep(const QTemporaryDir& dir)
{
    const QString to = dir.filePath(QStringLiteral("kisa"));
    if (!QFile::copy(QStringLiteral("/bin/sleep"), to))
        return QString();
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                  | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    return to;
}

pid_t Spawn(const std::string& program, const char* arg)
{
    std::string name = program;
    std::string argument = arg;
    char* argv[] = {name.data(), argument.data(), nullptr};
    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return -1;
    return pid;
}

// Waits up to 3 s for the kernel's answer.
ExecWatch::State Started(ExecRecordReader& reader)
{
    QElapsedTimer t;
    t.start();
    while (reader.state() == ExecWatch::State::Starting && t.elapsed() < 3000)
        QTest::qWait(10);
    return reader.state();
}

} // namespace

class TestExecRecordReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // What is read of a live process at once.
    void readsALiveProcess()
    {
        QTemporaryDir dir(QStringLiteral("/dev/shm/zerva-exec-XXXXXX"));
        QVERIFY(dir.isValid());
        const QString program = CopiedSleep(dir);
        QVERIFY(!program.isEmpty());
        // A long command line that sleep still takes: 400 zeros and a 1.
        const std::string longArg = std::string(400, '0') + "1";
        SpawnedProcess child(program.toStdString(), {"30", longArg});
        QVERIFY(child.started());
        const int proc = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        QVERIFY(proc >= 0);
        // posix_spawn returns once the new program is mapped, a moment
        // before its arguments are: the kernel's exec event comes after both.
        ExecSeen seen = ExecRecordReader::read(proc, child.pid());
        for (int i = 0; i < 200 && !seen.commandLine; ++i) {
            QTest::qWait(10);
            seen = ExecRecordReader::read(proc, child.pid());
        }
        ::close(proc);
        QCOMPARE(seen.pid, std::int64_t(child.pid()));
        QCOMPARE(seen.parentPid, std::int64_t(::getpid()));
        QCOMPARE(seen.user, std::optional<unsigned>(::geteuid()));
        QVERIFY(seen.path);
        QCOMPARE(QString::fromStdString(*seen.path), program);
        QVERIFY(seen.file);
        QCOMPARE(seen.name, std::optional<std::string>("kisa"));
        QVERIFY(seen.startTime);
        QVERIFY(seen.commandLine);
        QCOMPARE(seen.commandLine->size(), ExecCommandLineHead + 3);
        QVERIFY(QString::fromStdString(*seen.commandLine).startsWith(program + QStringLiteral(" 30 000")));
        QVERIFY(QString::fromStdString(*seen.commandLine).endsWith(QStringLiteral("0...")));
        // Once it has ended, nothing is read and nothing is made up.
        child.end();
        const int again = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const ExecSeen gone = ExecRecordReader::read(again, child.pid());
        ::close(again);
        QVERIFY(!gone.path && !gone.commandLine && !gone.startTime);
    }

    // Without root nothing is opened, and the reader says why.
    void notRoot()
    {
        if (::geteuid() == 0)
            QSKIP("runs as root; scripts/normal-user runs this as an ordinary account");
        ExecRecordReader reader;
        QCOMPARE(reader.state(), ExecWatch::State::NeedsRoot);
        std::vector<ExecSeen> out{ExecSeen{}};
        QVERIFY(reader.take(out, 10));
        QVERIFY(out.empty());
    }

    // 200 untrusted programs living about 20 ms each: every one is recorded
    // with its path, and the record shows every one as run unseen.
    void shortLivedPrograms()
    {
        if (::geteuid() != 0)
            QSKIP("only root is told of every exec");
        ExecRecordReader reader;
        const ExecWatch::State state = Started(reader);
        if (state != ExecWatch::State::Working)
            QSKIP("the kernel does not report execs here (proc connector refused or silent)");
        QTemporaryDir dir(QStringLiteral("/dev/shm/zerva-exec-XXXXXX"));
        QVERIFY(dir.isValid());
        const std::string program = CopiedSleep(dir).toStdString();
        QVERIFY(!program.empty());

        constexpr int Programs = 200;
        constexpr int AtOnce = 10;
        std::map<std::int64_t, bool> started;   // pid: recorded with its path
        int seenAtAll = 0;
        ExecRecord record;
        std::vector<ExecSeen> out;
        int found = 0;
        bool lost = false;
        std::vector<std::string> wrong;
        // Taken as it comes: the machine's other execs share the queue.
        const auto collect = [&] {
            lost = !reader.take(out, 100000) || lost;
            for (ExecSeen& seen : out) {
                const auto it = started.find(seen.pid);
                if (it == started.end() || it->second)
                    continue;
                ++seenAtAll;
                if (seen.path == program && seen.parentPid == ::getpid()) {
                    it->second = true;
                    ++found;
                } else if (wrong.size() < 5) {
                    wrong.push_back(std::to_string(seen.pid) + " " + seen.path.value_or("(none)"));
                }
                record.add(std::move(seen));
            }
        };
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < Programs && t.elapsed() < 60000; i += AtOnce) {
            std::vector<pid_t> group;
            for (int j = 0; j < AtOnce; ++j) {
                const pid_t pid = Spawn(program, "0.02");
                QVERIFY(pid > 0);
                group.push_back(pid);
                started[pid] = false;
            }
            for (const pid_t pid : group) {
                int status = 0;
                QCOMPARE(::waitpid(pid, &status, 0), pid);
            }
            collect();
        }
        QCOMPARE(int(started.size()), Programs);
        while (seenAtAll < Programs && t.elapsed() < 60000) {
            QTest::qWait(20);
            collect();
        }
        QVERIFY2(found == Programs, qPrintable(QStringLiteral("%1 of %2 recorded with their path%3; e.g. %4")
                                                   .arg(found)
                                                   .arg(Programs)
                                                   .arg(lost ? QStringLiteral(", events lost") : QString())
                                                   .arg(QString::fromStdString(wrong.empty() ? "" : wrong[0]))));
        // No refresh listed them: all shown.
        record.refreshed(std::chrono::steady_clock::now(), {}, [](const ExecSeen&) {
            return ExecRecord::Judgement::NotTrusted;
        });
        int shown = 0;
        record.shownAfter(0, [&](const ExecRecord::Entry& e) { shown += e.exec.path == program; });
        QCOMPARE(shown, Programs);
    }
};

QTEST_GUILESS_MAIN(TestExecRecordReader)
#include "test_exec_record_reader.moc"
