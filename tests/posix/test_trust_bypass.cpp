// Ways a process might slip under a trusted entry, tried with real
// processes: each row copies /bin/sleep into a fresh folder, runs it, maybe
// deletes, replaces or renames things, and checks whether the live process
// list hides it. Then processes that put another file behind a trusted path
// or hide their program altogether.
#include "fakes/fake_process_source.h"
#include "posix/support/spawned_process.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/os/posix/procfs_process_source.h"
#include "process/display_text.h"
#include "process/list_processes.h"

#include <QDir>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zerva;
using namespace zerva::test;

namespace {

// The row of process `pid` in `list`, if listed.
std::optional<int> rowOf(const ListView& list, qint64 pid)
{
    for (int row = 0; row < list.count(); ++row)
        if (list.key(row) == pid)
            return row;
    return std::nullopt;
}

// Lists the live processes against `entries` and returns the row of `pid`.
std::optional<int> listedRow(ListView& list, qint64 pid, const QStringList& entries)
{
    ListView trList;
    for (const QString& e : entries)
        trList.add(e);
    CheckBox box{QString()};
    ProcfsProcessSource source;
    ListProcesses(list, source, box, trList);
    return rowOf(list, pid);
}

// Waits (ten seconds at most) until `done` holds.
template <class Done>
bool waitFor(Done done)
{
    QDeadlineTimer deadline(10000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
    return true;
}

bool exeReadable(pid_t pid)
{
    char buf[PATH_MAX];
    return ::readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), buf, sizeof buf) >= 0;
}

void* idle(void*)
{
    for (;;)
        ::pause();
}

// A child of this test whose first thread ends while a second one runs on,
// after making itself undumpable if asked: its own /proc/PID/exe then
// reads nothing, for anyone.
struct LeaderGone {
    pid_t pid = -1;
    explicit LeaderGone(bool undumpable)
    {
        pid = ::fork();
        if (pid == 0) {
            if (undumpable)
                ::prctl(PR_SET_DUMPABLE, 0);
            pthread_t thread;
            if (::pthread_create(&thread, nullptr, idle, nullptr) != 0)
                ::_exit(1);
            // The first thread alone ends. Not pthread_exit: unwinding in a
            // child forked from threads can hang on the loader's lock.
            ::syscall(SYS_exit, 0);
        }
    }
    ~LeaderGone()
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

// A copy of /bin/sleep run from a folder whose path is longer than the
// kernel reports (a page): its link reads nothing, for anyone.
struct DeepProgram {
    pid_t pid = -1;
    std::string top;
    explicit DeepProgram(const std::string& base)
    {
        const std::string part(200, 'd');
        top = base + "/" + part;
        int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int depth = 0; depth < 21 && fd >= 0; ++depth) {
            ::mkdirat(fd, part.c_str(), 0700);
            const int next = ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::close(fd);
            fd = next;
        }
        if (fd < 0)
            return;
        QFile in(QStringLiteral("/bin/sleep"));
        const int out = ::openat(fd, "tool", O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0700);
        bool copied = false;
        if (in.open(QIODevice::ReadOnly) && out >= 0) {
            const QByteArray bytes = in.readAll();
            copied = ::write(out, bytes.constData(), static_cast<std::size_t>(bytes.size())) == bytes.size();
        }
        if (out >= 0)
            ::close(out);   // before the fork: a file open for writing cannot run
        if (copied) {
            pid = ::fork();
            if (pid == 0) {
                ::fchdir(fd);
                ::execl("./tool", "tool", "1000", static_cast<char*>(nullptr));
                ::_exit(127);
            }
        }
        ::close(fd);
    }
    ~DeepProgram()
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        // Too deep for QDir; rm walks it relative to each folder.
        QProcess::execute(QStringLiteral("rm"), {"-rf", QString::fromStdString(top)});
    }
};

} // namespace

class TestTrustBypass : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void realProcess_data()
    {
        // Paths are relative to the row's own folder; "%1" in an entry
        // stands for that folder.
        QTest::addColumn<QString>("binary");    // copy of /bin/sleep
        QTest::addColumn<QStringList>("others"); // more copies beside it, not running
        QTest::addColumn<QString>("runAs");     // what is started: the binary or a link to it
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("after");     // "", "delete" or "replace" the binary once started
        QTest::addColumn<QString>("reported");  // the path the kernel then reports
        QTest::addColumn<bool>("listed");

        QTest::newRow("exact entry hides it")
            << "tool" << QStringList{} << "tool" << QStringList{"%1/tool"} << "" << "tool" << false;
        QTest::newRow("path is the beginning of an entry")
            << "tool" << QStringList{} << "tool" << QStringList{"%1/tool.bak", "%1/toolbox", "%1/tool --safe"} << ""
            << "tool" << true;
        QTest::newRow("entry is the beginning of the path")
            << "tool" << QStringList{} << "tool" << QStringList{"%1/", "%1/to"} << "" << "tool" << true;
        // Letter case is ignored when paths are compared, so that entries
        // written on Windows keep working; but an entry trusts only the file
        // it names, and on Linux %1/TOOL names no file here.
        QTest::newRow("entry in other letter case")
            << "tool" << QStringList{} << "tool" << QStringList{"%1/TOOL"} << "" << "tool" << true;
        // Names that lower-case like a trusted one are other files.
        QTest::newRow("other letter case beside the trusted file")
            << "TOOL" << QStringList{"tool"} << "TOOL" << QStringList{"%1/tool"} << "" << "TOOL" << true;
        QTest::newRow("Kelvin sign beside the trusted file")
            << QString::fromUtf8("\u212Ait") << QStringList{"kit"} << QString::fromUtf8("\u212Ait")
            << QStringList{"%1/kit"} << "" << QString::fromUtf8("\u212Ait") << true;
        // The trusted file is gone; what runs is no longer what was trusted.
        QTest::newRow("trusted binary deleted while running")
            << "tool" << QStringList{} << "tool" << QStringList{"%1/tool"} << "delete" << "tool (deleted)" << true;
        QTest::newRow("trusted binary replaced while running")
            << "tool" << QStringList{} << "tool" << QStringList{"%1/tool"} << "replace" << "tool (deleted)" << true;
        // The path the kernel reports names no file.
        QTest::newRow("entry naming the deleted file")
            << "tool" << QStringList{} << "tool" << QStringList{"%1/tool (deleted)"} << "delete" << "tool (deleted)" << true;
        // The kernel reports the link's target, so trust follows the file
        // that actually runs, not the name it was started by.
        QTest::newRow("link to a trusted binary")
            << "tool" << QStringList{} << "alias" << QStringList{"%1/tool"} << "" << "tool" << false;
        QTest::newRow("entry naming only the link")
            << "tool" << QStringList{} << "alias" << QStringList{"%1/alias"} << "" << "tool" << true;
        QTest::newRow("entry with a trailing blank")
            << "tool" << QStringList{} << "tool" << QStringList{"%1/tool ", "%1/tool\t"} << "" << "tool" << true;
        QTest::newRow("binary name with a trailing blank")
            << "tool " << QStringList{} << "tool " << QStringList{"%1/tool"} << "" << "tool " << true;
        // Look-alikes of a trusted sleep beside it: listed, and never shown
        // as its name.
        const char* const lookAlikes[][2] = {
            {"no-break space", "sleep\u00A0"},      {"grapheme joiner", "sl\u034Feep"},
            {"braille blank", "sle\u2800ep"},       {"Hangul filler", "sle\u3164ep"},
            {"variation selector", "slee\uFE0Fp"}, {"Cyrillic e", "sl\u0435ep"},
            {"ideographic space", "sleep\u3000x"},  {"zero width space", "sl\u200Beep"},
        };
        for (const auto& [what, name] : lookAlikes)
            QTest::newRow(what) << QString::fromUtf8(name) << QStringList{"sleep"} << QString::fromUtf8(name)
                                << QStringList{"%1/sleep"} << "" << QString::fromUtf8(name) << true;
        QTest::newRow("empty entry")
            << "tool" << QStringList{} << "tool" << QStringList{""} << "" << "tool" << true;
    }
    void realProcess()
    {
        QFETCH(QString, binary);
        QFETCH(QStringList, others);
        QFETCH(QString, runAs);
        QFETCH(QStringList, entries);
        QFETCH(QString, after);
        QFETCH(QString, reported);
        QFETCH(bool, listed);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QDir d(dir.path());
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), d.filePath(binary)));
        QVERIFY(QFile::setPermissions(d.filePath(binary), QFile::ReadOwner | QFile::ExeOwner | QFile::ExeOther));
        for (const QString& other : others)
            QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), d.filePath(other)));
        if (runAs != binary)
            QVERIFY(QFile::link(d.filePath(binary), d.filePath(runAs)));

        SpawnedProcess process(d.filePath(runAs).toStdString(), {"1000"});
        QVERIFY2(process.started(), "cannot run programs from the temporary folder");
        if (after == QLatin1String("delete")) {
            QVERIFY(QFile::remove(d.filePath(binary)));
        } else if (after == QLatin1String("replace")) {
            // As an update would: a new file renamed over the old name.
            QVERIFY(QFile::copy(QStringLiteral("/bin/true"), d.filePath("new")));
            QVERIFY(::rename(qPrintable(d.filePath("new")), qPrintable(d.filePath(binary))) == 0);
        }
        QCOMPARE(QString::fromStdString(process.exePath()), d.filePath(reported));

        ListView list, trList;
        for (const QString& e : entries)
            trList.add(e.contains(QLatin1String("%1")) ? e.arg(dir.path()) : e);
        CheckBox box{QString()};
        ProcfsProcessSource source;
        ListProcesses(list, source, box, trList);
        const std::optional<int> row = rowOf(list, process.pid());
        QCOMPARE(row.has_value(), listed);
        if (row) {   // as shown: a blank at the end is escaped
            QCOMPARE(list.subItem(*row, 1), DisplayText(d.filePath(reported).toStdString()));
            for (const QString& other : others)
                QVERIFY(list.subItem(*row, 1) != d.filePath(other));
        }

        // "Guvenilirleri goster" lists it whatever the entries say.
        box.setValue(CheckBox::Ticked);
        ListProcesses(list, source, box, trList);
        QVERIFY(rowOf(list, process.pid()));
    }

    // In a mount namespace of its own, any user can put another program
    // behind a trusted path; the kernel then reports the trusted path.
    void anotherFileBehindTheTrustedPath()
    {
        if (QProcess::execute(QStringLiteral("unshare"), {"-rm", "true"}) != 0)
            QSKIP("unshare -rm (a private mount namespace) is not allowed on this machine");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString tool = dir.filePath("tool"), other = dir.filePath("other");
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), tool));
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), other));
        SpawnedProcess process("/usr/bin/unshare",
                               {"-rm", "sh", "-c", qPrintable("mount --bind " + other + " " + tool + " && exec " + tool + " 1000")});
        QVERIFY(process.started());
        QVERIFY2(waitFor([&] { return process.exePath() == tool.toStdString(); }), "the bind mount did not happen");
        ListView list;
        const std::optional<int> row = listedRow(list, process.pid(), {tool});
        QVERIFY(row);
        QCOMPARE(list.subItem(*row, 1), tool);
        // The very file, run plainly, stays hidden.
        SpawnedProcess real(tool.toStdString(), {"1000"});
        QVERIFY(!listedRow(list, real.pid(), {tool}));
        // Run in a user namespace of its own, even the very file is listed:
        // there a process may give itself the link of any program.
        SpawnedProcess inUserNamespace("/usr/bin/unshare", {"-r", tool.toStdString(), "1000"});
        QVERIFY(waitFor([&] { return inUserNamespace.exePath() == tool.toStdString(); }));
        QVERIFY(listedRow(list, inUserNamespace.pid(), {tool}));
    }

    // A program that hides its own executable from us is listed, with an
    // empty path, unless the kernel shows another way to it.
    void programHidden_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("trustSelf");   // this test program is trusted
        QTest::addColumn<QString>("path");     // "self": this test program
        QTest::addColumn<bool>("listed");
        // Another thread still runs the program: that is the way.
        QTest::newRow("first thread ended") << "leader" << false << "self" << true;
        QTest::newRow("first thread ended, trusted") << "leader" << true << "self" << false;
        // Undumpable: only root may look through another thread.
        const bool root = ::geteuid() == 0;
        QTest::newRow("undumpable, first thread ended, trusted")
            << "undumpable" << true << (root ? "self" : "") << !root;
        QTest::newRow("path too long to report") << "long" << false << "" << true;
    }
    void programHidden()
    {
        QFETCH(QString, how);
        QFETCH(bool, trustSelf);
        QFETCH(QString, path);
        QFETCH(bool, listed);
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        std::optional<LeaderGone> leader;
        std::optional<DeepProgram> deep;
        pid_t pid = -1;
        if (how == QLatin1String("long")) {
            deep.emplace(dir.path().toStdString());
            pid = deep->pid;
        } else {
            leader.emplace(how == QLatin1String("undumpable"));
            pid = leader->pid;
        }
        QVERIFY(pid > 0);
        QVERIFY2(waitFor([&] { return !exeReadable(pid); }), "its own link still reads");
        ListView list;
        const std::optional<int> row = listedRow(list, pid, trustSelf ? QStringList{self} : QStringList{});
        QCOMPARE(row.has_value(), listed);
        if (row) {
            QCOMPARE(list.subItem(*row, 1), path == QLatin1String("self") ? self : path);
            QCOMPARE(list.subItem(*row, 2).count(QStringLiteral("\r\n")), 7);
        }
    }

    // The kernel never reports an empty path for a running program, but a
    // source might: the empty text is then the beginning of every entry and
    // must still trust nothing.
    void emptyPath_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("no entries") << QStringList{};
        QTest::newRow("plain entries") << QStringList{"/usr/bin/a", "/usr/bin/b"};
        QTest::newRow("empty entry") << QStringList{""};
        QTest::newRow("blank entry") << QStringList{" "};
    }
    void emptyPath()
    {
        QFETCH(QStringList, entries);
        FakeProcessSource source;
        source.processes = {MakeProcess(5, "odd", std::string())};
        ListView list, trList;
        for (const QString& e : entries)
            trList.add(e);
        CheckBox box{QString()};
        ListProcesses(list, source, box, trList);
        QCOMPARE(list.count(), 1);
        QCOMPARE(list.key(0), qint64(5));
        QCOMPARE(list.subItem(0, 2).count(QStringLiteral("\r\n")), 7);
    }
};

QTEST_MAIN(TestTrustBypass)
#include "test_trust_bypass.moc"
