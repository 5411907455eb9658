// Ways a process might slip under a trusted entry, tried with real
// processes: each row copies /bin/sleep into a fresh folder, runs it, maybe
// deletes, replaces or renames things, and checks whether the live process
// list hides it. Then processes that put another file behind a trusted path
// or hide their program altogether.
#include "fakes/fake_process_source.h"
#include "posix/support/code_rewrite.h"
#include "posix/support/fake_proc_tree.h"
#include "posix/support/forged_link_process.h"
#include "posix/support/listed_row.h"
#include "posix/support/spawned_process.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/os/posix/loader_lookup.h"
#include "platform/os/posix/procfs_process_source.h"
#include "process/display_text.h"
#include "process/list_processes.h"
#include "trusted/link_entries.h"
#include "trusted/trust_memory.h"
#include "trusted/trust_verdict.h"

#include <QDir>
#include <QIcon>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <optional>

#include <cerrno>
#include <climits>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zerva;
using namespace zerva::test;

namespace {

// Lists the live processes against `entries` and returns the row of `pid`.
std::optional<int> listedRow(ListView& list, qint64 pid, const QStringList& entries)
{
    ListView trList;
    for (const QString& e : entries)
        trList.add(e);
    CheckBox box{QString()};
    ProcfsProcessSource source;
    ListProcesses(list, source, box, trList);
    return RowOf(list, pid);
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


// "file INODE [COPIED_KIB [OWNER|- [MODE]]]", "deleted INODE", "memfd INODE" or
// "anon": one executable mapping, on device 1.
CodeMapping mappingOf(const QString& line)
{
    const QStringList f = line.split(QLatin1Char(' '));
    CodeMapping m;
    const QString kind = f.value(0);
    m.kind = kind == QLatin1String("anon")      ? CodeMapping::Kind::Anonymous
        : kind == QLatin1String("deleted")     ? CodeMapping::Kind::DeletedFile
        : kind == QLatin1String("memfd")       ? CodeMapping::Kind::Memfd
                                               : CodeMapping::Kind::File;
    m.file = FileId{1, f.value(1, QStringLiteral("0")).toULongLong()};
    m.copiedKiB = f.value(2, QStringLiteral("0")).toULongLong();
    const QString owner = f.value(3, QStringLiteral("0"));
    if (owner != QLatin1String("-"))
        m.owner = owner.toUInt();
    m.mode = f.value(4, QStringLiteral("755")).toUInt(nullptr, 8);
    return m;
}

// The first thread's state and how many threads are left, as "Z 82".
QString leaderState(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray line = stat.readAll();
    const int close = line.lastIndexOf(')');
    const qsizetype threads = QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    return close > 0 ? QStringLiteral("%1 %2").arg(QString::fromLatin1(line.mid(close + 2, 1))).arg(threads) : QString();
}

// Whether the first thread has ended while at least `threads` are left.
bool leaderZombie(pid_t pid, int threads)
{
    const QStringList state = leaderState(pid).split(u' ');
    return state.size() == 2 && state[0] == QLatin1String("Z") && state[1].toInt() >= threads;
}

// The path of a library this program has loaded (root's own, on a system
// install): something harmless to preload.
QString someLibrary()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : maps.readAll().split('\n'))
        if (line.contains("libc.so"))
            return QString::fromUtf8(line.mid(line.indexOf('/')));
    return {};
}

// A child whose first thread ends after many of its threads have ended
// while traced by this test, so that they stay zombies until it reaps them;
// one more thread, the last, lives on. A walk of its threads meets the
// zombies first.
struct ZombieThreads {
    static constexpr int Zombies = 80;
    pid_t pid = -1;
    std::vector<pid_t> traced;
    ZombieThreads()
    {
        int hold[2], ready[2], go[2];
        if (::pipe(hold) != 0 || ::pipe(ready) != 0 || ::pipe(go) != 0)
            return;
        pid = ::fork();
        if (pid == 0) {
            ::close(hold[1]);
            static int holdFd;
            holdFd = hold[0];
            pthread_t thread;
            for (int i = 0; i < Zombies; ++i)
                if (::pthread_create(&thread, nullptr, [](void*) -> void* {
                        char c;
                        static_cast<void>(::read(holdFd, &c, 1));
                        ::syscall(SYS_exit, 0);
                        return nullptr;
                    }, nullptr) != 0)
                    ::_exit(1);
            if (::pthread_create(&thread, nullptr, idle, nullptr) != 0)
                ::_exit(1);
            char c = 1;
            static_cast<void>(::write(ready[1], &c, 1));
            static_cast<void>(::read(go[0], &c, 1));
            ::syscall(SYS_exit, 0);
        }
        ::close(hold[0]);
        char c;
        if (pid < 0 || ::read(ready[0], &c, 1) != 1) {
            ::close(hold[1]);
            return;
        }
        // Every thread but the first and the last.
        QStringList tids = QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(tids.begin(), tids.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
        for (qsizetype i = 1; i + 1 < tids.size(); ++i)
            if (::ptrace(PTRACE_SEIZE, tids[i].toInt(), nullptr, nullptr) == 0)
                traced.push_back(tids[i].toInt());
        ::close(hold[1]);   // the traced threads end
        static_cast<void>(::write(go[1], &c, 1));   // then the first
        ::close(ready[0]);
        ::close(ready[1]);
        ::close(go[0]);
        ::close(go[1]);
    }
    ~ZombieThreads()
    {
        if (pid <= 0)
            return;
        ::kill(pid, SIGKILL);
        for (const pid_t tid : traced)
            ::waitpid(tid, nullptr, __WALL);
        ::waitpid(pid, nullptr, 0);
    }
};

std::string linkOf(pid_t pid)
{
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

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
        // An entry that is a link trusts the file it leads to, however the
        // program was started; one that leads nowhere, or elsewhere, does not.
        // ("a->b" among the others makes a link a to b.)
        QTest::newRow("entry naming a link to the binary")
            << "tool" << QStringList{} << "alias" << QStringList{"%1/alias"} << "" << "tool" << false;
        QTest::newRow("entry naming a link, binary run by its own path")
            << "tool" << QStringList{"alias->tool"} << "tool" << QStringList{"%1/alias"} << "" << "tool" << false;
        QTest::newRow("entry through a linked folder")
            << "tool" << QStringList{"via->."} << "tool" << QStringList{"%1/via/tool"} << "" << "tool" << false;
        QTest::newRow("entry naming a link to another copy")
            << "tool" << QStringList{"other", "alias->other"} << "tool" << QStringList{"%1/alias"} << "" << "tool"
            << true;
        QTest::newRow("entry naming a dangling link")
            << "tool" << QStringList{"alias->gone"} << "tool" << QStringList{"%1/alias"} << "" << "tool" << true;
        QTest::newRow("link entry, binary replaced while running")
            << "tool" << QStringList{"alias->tool"} << "tool" << QStringList{"%1/alias"} << "replace" << "tool (deleted)"
            << true;
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
        // Paths shown escaped or isolated: the entry is the path itself (as
        // an add from the row writes it), and it hides the process.
        const char* const oddPaths[][2] = {
            {"no-break space, entry as the path is", "x\u00A0y/tool"},
            {"trailing blank, entry as the path is", "tool "},
            {"zero width space, entry as the path is", "x\u200By/tool"},
            {"left-to-right mark, entry as the path is", "x\u200Ey/tool"},
            {"right-to-left folder, entry as the path is", "\u05D0\u05D1/tool"},
        };
        for (const auto& [what, name] : oddPaths)
            QTest::newRow(what) << QString::fromUtf8(name) << QStringList{} << QString::fromUtf8(name)
                                << QStringList{"%1/" + QString::fromUtf8(name)} << "" << QString::fromUtf8(name) << false;
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
        QVERIFY(d.mkpath(QFileInfo(d.filePath(binary)).path()));
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), d.filePath(binary)));
        QVERIFY(QFile::setPermissions(d.filePath(binary), QFile::ReadOwner | QFile::ExeOwner | QFile::ExeOther));
        for (const QString& other : others) {
            const QStringList link = other.split(QStringLiteral("->"));
            if (link.size() == 2)
                QVERIFY(QFile::link(d.filePath(link[1]), d.filePath(link[0])));
            else
                QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), d.filePath(other)));
        }
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
        const std::optional<int> row = RowOf(list, process.pid());
        QVERIFY2(row.has_value() == listed, row ? qPrintable(QStringLiteral("listed: ") + list.warning(*row)) : "hidden");
        if (row) {   // as shown: a blank at the end is escaped
            QCOMPARE(list.subItem(*row, 1), DisplayText(d.filePath(reported).toStdString()));
            for (const QString& other : others)
                QVERIFY(list.subItem(*row, 1) != d.filePath(other.section(QStringLiteral("->"), 0, 0)));
        }

        // "Guvenilirleri goster" lists it whatever the entries say.
        box.setValue(CheckBox::Ticked);
        ListProcesses(list, source, box, trList);
        QVERIFY(RowOf(list, process.pid()));
    }

    // A list too long to search for links in a refresh is searched on a
    // thread: its link counts once the search is done, keeps counting while
    // the list changes, and stops counting once taken out.
    void linksOfALongList()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString at = QFileInfo(dir.path()).canonicalFilePath();
        const QString tool = at + QStringLiteral("/tool"), alias = at + QStringLiteral("/alias");
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), tool));
        QVERIFY(QFile::link(tool, alias));
        ListView trList;
        const auto fill = [&](bool withAlias) {
            ListFill filling(trList);
            trList.clear();
            for (int i = 0; i < LinkEntries::SearchAtOnce + 500; ++i)
                trList.add(QStringLiteral("/opt/v%1/bin/tool").arg(i));
            if (withAlias)
                trList.add(alias);
        };
        fill(true);
        LinkEntries links;
        QVERIFY(links.targets(trList).isEmpty());   // without a thread: not searched
        links.onThread = true;
        fill(true);
        links.targets(trList);
        links.waitForSearch();
        QCOMPARE(links.targets(trList).values(tool), QStringList{alias});
        trList.add(QStringLiteral("/opt/more"));   // searched again; meanwhile still a link
        QCOMPARE(links.targets(trList).values(tool), QStringList{alias});
        links.waitForSearch();
        QCOMPARE(links.targets(trList).values(tool), QStringList{alias});
        fill(false);
        QVERIFY(links.targets(trList).isEmpty());
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

    // What else may run in a process whose path and file are trusted, as
    // the source reports it: each row lists one process running
    // /usr/bin/tool (device 1, inode 10, owned by root unless the row says
    // otherwise) and gives the warning its row must carry ("hidden": none).
    // ("loader N": the loader its program names is file N.)
    void insideRules_data()
    {
        QTest::addColumn<int>("tracer");
        QTest::addColumn<int>("preload");        // -1: environment unreadable
        QTest::addColumn<QStringList>("code");   // see mappingOf; empty list: cannot be inspected
        QTest::addColumn<bool>("systemPreload");
        QTest::addColumn<int>("running");        // inode of the file it runs
        QTest::addColumn<QString>("warning");
        const QStringList clean{"file 10", "file 20 0 0 644"};
        const auto text = [](TrustVerdict v) { return WarningText(v); };
        QTest::newRow("nothing else runs") << 0 << 0 << clean << false << 10 << "hidden";
        QTest::newRow("environment unreadable") << 0 << -1 << clean << false << 10 << "hidden";
        QTest::newRow("another file behind the path") << 0 << 0 << clean << false << 11 << text(TrustVerdict::OtherFile);
        QTest::newRow("cannot be inspected") << 0 << 0 << QStringList{} << false << 10 << text(TrustVerdict::Unreadable);
        QTest::newRow("traced") << 77 << 0 << clean << false << 10 << text(TrustVerdict::Traced);
        QTest::newRow("LD_PRELOAD") << 0 << 1 << clean << false << 10 << text(TrustVerdict::Preload);
        QTest::newRow("/etc/ld.so.preload") << 0 << 0 << clean << true << 10 << text(TrustVerdict::SystemPreload);
        QTest::newRow("program not mapped (forged link)")
            << 0 << 0 << QStringList{"file 20", "anon"} << false << 10 << text(TrustVerdict::ProgramNotMapped);
        QTest::newRow("program code changed") << 0 << 0 << QStringList{"file 10 4"} << false << 10 << text(TrustVerdict::CodeChanged);
        QTest::newRow("library code changed")
            << 0 << 0 << QStringList{"file 10", "file 20 8"} << false << 10 << text(TrustVerdict::CodeChanged);
        QTest::newRow("deleted library") << 0 << 0 << QStringList{"file 10", "deleted 20"} << false << 10 << text(TrustVerdict::ForeignCode);
        QTest::newRow("memfd code") << 0 << 0 << QStringList{"file 10", "memfd 20"} << false << 10 << text(TrustVerdict::ForeignCode);
        QTest::newRow("library of another user")
            << 0 << 0 << QStringList{"file 10", "file 20 0 1000"} << false << 10 << text(TrustVerdict::ForeignCode);
        QTest::newRow("library others may write")
            << 0 << 0 << QStringList{"file 10", "file 20 0 0 775"} << false << 10 << text(TrustVerdict::ForeignCode);
        QTest::newRow("library of unknown owner")
            << 0 << 0 << QStringList{"file 10", "file 20 0 -"} << false << 10 << text(TrustVerdict::ForeignCode);
        QTest::newRow("library of the program's owner")
            << 0 << 0 << QStringList{"file 10 0 1000", "file 20 0 1000", "file 30"} << false << 10 << "hidden";
        QTest::newRow("anonymous code (JIT)") << 0 << 0 << QStringList{"file 10", "anon"} << false << 10 << text(TrustVerdict::AnonymousCode);
        QTest::newRow("its loader mapped") << 0 << 0 << QStringList{"file 10", "file 20", "loader 20"} << false << 10 << "hidden";
        QTest::newRow("its loader not mapped (forged link)")
            << 0 << 0 << QStringList{"file 10", "file 20", "loader 30"} << false << 10 << text(TrustVerdict::LoaderNotMapped);
        QTest::newRow("its loader replaced by an update")
            << 0 << 0 << QStringList{"file 10", "deleted 20", "loader 30"} << false << 10 << text(TrustVerdict::ForeignCode);
    }
    void insideRules()
    {
        QFETCH(int, tracer);
        QFETCH(int, preload);
        QFETCH(QStringList, code);
        QFETCH(bool, systemPreload);
        QFETCH(int, running);
        QFETCH(QString, warning);
        FakeProcessSource source;
        source.identifies = source.inspects = true;
        source.files["/usr/bin/tool"] = FileId{1, 10};
        source.running[5] = FileId{1, static_cast<std::uint64_t>(running)};
        source.preloaded = systemPreload;
        if (!code.isEmpty()) {
            ProcessInside& inside = source.inside[5];
            inside.tracerPid = tracer;
            if (preload >= 0)
                inside.preload = preload == 1;
            for (const QString& mapping : code) {
                if (mapping.startsWith(QLatin1String("loader ")))
                    inside.loader = FileId{1, mapping.mid(7).toULongLong()};
                else
                    inside.code.push_back(mappingOf(mapping));
            }
        }
        source.processes = {MakeProcess(5, "tool", "/usr/bin/tool")};
        ListView list, trList;
        trList.add(QStringLiteral("/usr/bin/tool"));
        CheckBox box{QString()};
        ListProcesses(list, source, box, trList);
        QCOMPARE(WarningOf(list, 5), warning);
        if (warning == QLatin1String("hidden"))
            return;
        // The mark, the tooltip and what a screen reader says of the row.
        const QModelIndex index = list.model()->index(0, 0);
        QVERIFY(!index.data(Qt::DecorationRole).value<QIcon>().isNull());
        QCOMPARE(index.data(Qt::ToolTipRole).toString(), warning);
        QCOMPARE(index.data(Qt::AccessibleDescriptionRole).toString(), warning);
        // "Guvenilirleri goster" lists every process plainly.
        box.setValue(CheckBox::Ticked);
        ListProcesses(list, source, box, trList);
        QCOMPARE(WarningOf(list, 5), QString());
    }

    // From one refresh to the next: a link that changes is not believed, an
    // inspection is repeated only after a while, and what cannot be undone
    // (a tracer, changed code) holds for the process's life, but not for a
    // new process under its pid.
    void rememberedAcrossRefreshes()
    {
        FakeProcessSource source;
        source.identifies = source.inspects = true;
        source.files["/usr/bin/tool"] = FileId{1, 10};
        source.running[5] = source.running[6] = FileId{1, 10};
        source.inside[5].code = source.inside[6].code = {mappingOf(QStringLiteral("file 10"))};
        ListView list, trList;
        trList.add(QStringLiteral("/usr/bin/tool"));
        CheckBox box{QString()};
        TrustMemory memory;
        const auto refresh = [&] { ListProcesses(list, source, box, trList, &memory); };

        // 6 first ran another program, then its link named the trusted one.
        ProcessInfo moved = MakeProcess(6, "tool", "/home/u/other");
        moved.startTime = 600;
        source.processes = {MakeProcess(5, "tool", "/usr/bin/tool"), moved};
        source.processes[0].startTime = 500;
        refresh();
        QCOMPARE(WarningOf(list, 5), QStringLiteral("hidden"));
        QCOMPARE(WarningOf(list, 6), QString());
        source.processes[1].executablePath = "/usr/bin/tool";
        refresh();
        QCOMPARE(WarningOf(list, 6), WarningText(TrustVerdict::LinkChanged));

        // A child seen between fork and exec runs its parent's program; its
        // exec is its one change.
        ProcessInfo child = MakeProcess(7, "tool", "/home/u/other");
        child.startTime = 700;
        child.parentPid = 6;
        source.processes[1].executablePath = "/home/u/other";
        source.processes.push_back(child);
        refresh();
        QCOMPARE(WarningOf(list, 7), QString());
        source.processes[2].executablePath = "/usr/bin/tool";
        source.running[7] = FileId{1, 10};
        source.inside[7].code = {mappingOf(QStringLiteral("file 10"))};
        refresh();
        QCOMPARE(WarningOf(list, 7), QStringLiteral("hidden"));
        source.processes[2].executablePath = "/usr/bin/tool2";
        refresh();
        source.processes[2].executablePath = "/usr/bin/tool";
        refresh();
        QCOMPARE(WarningOf(list, 7), WarningText(TrustVerdict::LinkChanged));
        source.processes.pop_back();

        // Inspected once in a while; a tracer found stays with the process.
        source.inspections = 0;
        refresh();
        QCOMPARE(source.inspections, 0);
        memory.recheckAfter = std::chrono::milliseconds(0);
        source.inside[5].tracerPid = 77;
        refresh();
        QCOMPARE(source.inspections, 1);
        QCOMPARE(WarningOf(list, 5), WarningText(TrustVerdict::Traced));
        source.inside[5].tracerPid = 0;
        refresh();
        QCOMPARE(WarningOf(list, 5), WarningText(TrustVerdict::Traced));
        // A new process under the same pid is judged afresh.
        source.processes[0].startTime = 501;
        refresh();
        QCOMPARE(WarningOf(list, 5), QStringLiteral("hidden"));

        // What is there only for now is judged again at each inspection;
        // changed code once seen is not forgotten when its pages go.
        source.inside[5].code.push_back(mappingOf(QStringLiteral("anon")));
        refresh();
        QCOMPARE(WarningOf(list, 5), WarningText(TrustVerdict::AnonymousCode));
        source.inside[5].code.pop_back();
        refresh();
        QCOMPARE(WarningOf(list, 5), QStringLiteral("hidden"));
        source.inside[5].code = {mappingOf(QStringLiteral("file 10 4"))};
        refresh();
        QCOMPARE(WarningOf(list, 5), WarningText(TrustVerdict::CodeChanged));
        source.inside[5].code = {mappingOf(QStringLiteral("file 10"))};
        refresh();
        QCOMPARE(WarningOf(list, 5), WarningText(TrustVerdict::CodeChanged));
    }

    // The same rules read from a crafted /proc: process 42 runs a real file
    // (a copy of sleep) that is trusted; its task folder says what else runs
    // in it. In smaps, %P stands for the program's "device inode path".
    void craftedInside_data()
    {
        QTest::addColumn<QByteArray>("smaps");
        QTest::addColumn<QString>("tracers");   // TracerPid of thread 42, then of thread 43
        QTest::addColumn<QByteArray>("environment");
        QTest::addColumn<QByteArray>("preloadFile");
        QTest::addColumn<QString>("warning");
        const QByteArray program =
            "5600-5608 r-xp 00002000 %P\nSize: 32 kB\nPrivate_Dirty:  0 kB\nAnonymous:  0 kB\nVmFlags: rd ex\n";
        const QByteArray vdso = "7ff0-7ff2 r-xp 00000000 00:00 0   [vdso]\nPrivate_Dirty: 8 kB\n";
        const QByteArray data = "5610-5618 rw-p 00000000 00:00 0   [heap]\nPrivate_Dirty: 32 kB\n";
        const QByteArray env("HOME=/root\0PATH=/bin\0", 21);
        QTest::newRow("nothing else runs") << program + vdso + data << "0 0" << env << QByteArray() << "hidden";
        QTest::newRow("forged link: program not mapped, code anonymous")
            << "7f00-7f10 r-xp 00000000 00:00 0\nPrivate_Dirty: 8 kB\n" + vdso << "0 0" << env << QByteArray()
            << WarningText(TrustVerdict::ProgramNotMapped);
        QTest::newRow("program mapped, but not executable")
            << QByteArray(program).replace("r-xp", "r--p") << "0 0" << env << QByteArray()
            << WarningText(TrustVerdict::ProgramNotMapped);
        QTest::newRow("code changed") << QByteArray(program).replace("Anonymous:  0", "Anonymous:  4") << "0 0"
                                      << env << QByteArray() << WarningText(TrustVerdict::CodeChanged);
        // Pages of a file written a moment ago, or kept on tmpfs, are dirty
        // but the file's own: nothing changed them in memory.
        QTest::newRow("file's own dirty pages") << QByteArray(program).replace("Private_Dirty:  0", "Private_Dirty: 20")
                                                << "0 0" << env << QByteArray() << "hidden";
        QTest::newRow("code from a memfd") << program + "7e00-7e10 r-xp 00000000 00:01 77   /memfd:x (deleted)\n" << "0 0"
                                           << env << QByteArray() << WarningText(TrustVerdict::ForeignCode);
        QTest::newRow("execute-only anonymous code") << program + "7e00-7e10 --xp 00000000 00:00 0\n" << "0 0" << env
                                                     << QByteArray() << WarningText(TrustVerdict::AnonymousCode);
        QTest::newRow("second thread traced") << program << "0 9" << env << QByteArray() << WarningText(TrustVerdict::Traced);
        QTest::newRow("LD_AUDIT") << program << "0 0" << QByteArray("A=1\0LD_AUDIT=/tmp/a.so\0", 23) << QByteArray()
                                  << WarningText(TrustVerdict::Preload);
        QTest::newRow("LD_PRELOAD empty") << program << "0 0" << QByteArray("LD_PRELOAD=\0", 12) << QByteArray() << "hidden";
        QTest::newRow("ld.so.preload names a library")
            << program << "0 0" << env << QByteArray("/tmp/a.so\n") << WarningText(TrustVerdict::SystemPreload);
        QTest::newRow("ld.so.preload blank") << program << "0 0" << env << QByteArray(" \n") << "hidden";
        QTest::newRow("smaps unreadable") << QByteArray() << "0 0" << env << QByteArray()
                                          << WarningText(TrustVerdict::Unreadable);
    }
    void craftedInside()
    {
        QFETCH(QByteArray, smaps);
        QFETCH(QString, tracers);
        QFETCH(QByteArray, environment);
        QFETCH(QByteArray, preloadFile);
        QFETCH(QString, warning);
        QTemporaryDir files;
        QVERIFY(files.isValid());
        const QString tool = files.filePath("tool");
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), tool));
        struct stat st {};
        QVERIFY(::stat(qPrintable(tool), &st) == 0);
        const QByteArray id = QByteArray::number(major(st.st_dev), 16) + ":" + QByteArray::number(minor(st.st_dev), 16)
            + " " + QByteArray::number(qulonglong(st.st_ino)) + "   " + tool.toUtf8();
        FakeProcTree proc;
        QVERIFY(proc.isValid());
        QVERIFY(proc.addProcess(42, "tool", " S 1 2 3 4 5 0 7 8 9 10 11 12 13 14 20 0 2 0 99 1000 25\n",
                                QByteArray("tool\0", 5), tool));
        const QList<QByteArray> tracer = tracers.toUtf8().split(' ');
        for (int t = 0; t < 2; ++t)
            QVERIFY(proc.addFile(QStringLiteral("42/task/%1/status").arg(42 + t),
                                 "Name:\ttool\nState:\tS (sleeping)\nTracerPid:\t" + tracer.value(t) + "\nUid:\t0\t0\t0\t0\n"));
        QVERIFY(proc.addFile(QStringLiteral("42/task/42/environ"), environment));
        if (smaps.isEmpty())
            QVERIFY(proc.dir().mkpath(QStringLiteral("42/task/42/smaps")));
        else
            QVERIFY(proc.addFile(QStringLiteral("42/task/42/smaps"), QByteArray(smaps).replace("%P", id)));
        ProcfsProcessSource source(proc.path());
        source.setSystemPreloadFile(proc.dir().filePath("ld.so.preload").toStdString());
        if (!preloadFile.isEmpty())
            QVERIFY(proc.addFile(QStringLiteral("ld.so.preload"), preloadFile));
        ListView list, trList;
        trList.add(tool);
        CheckBox box{QString()};
        ListProcesses(list, source, box, trList);
        QCOMPARE(WarningOf(list, 42), warning);
    }

    // A process that sets its program link to a trusted file while it runs
    // its own code: listed, because the file is not mapped executable in it.
    // (Seen before, it ran its parent's program, as a child between fork and
    // exec does: so its one change of link passes for its exec, and the
    // mapping alone gives it away. Where the source follows exec events, the
    // link it read then is kept, as no exec came: listed plainly under its
    // parent's program. A child whose pid is below its parent's, after the
    // pids wrapped around, is read before its parent and gets no allowance:
    // its link changed. "|" separates the warnings a row takes, "" for a
    // row listed plainly. Started through its
    // loader, it unmaps the loader and maps the trusted file: every mapping
    // is as a run of the trusted file would have it, but for its loader.)
    void forgedProgramLink_data()
    {
        QTest::addColumn<bool>("seenBefore");
        QTest::addColumn<bool>("execEvents");
        QTest::addColumn<bool>("throughLoader");
        QTest::addColumn<QString>("warning");
        const QString forged = WarningText(TrustVerdict::ProgramNotMapped);
        QTest::newRow("first seen with the forged link") << false << true << false << forged;
        const QString changed = WarningText(TrustVerdict::LinkChanged);
        QTest::newRow("seen before, as a child of its parent's program") << true << false << false << forged + "|" + changed;
        QTest::newRow("seen before, exec events followed") << true << true << false << "|" + forged + "|" + changed;
        QTest::newRow("started through its loader, the trusted file mapped")
            << false << false << true << WarningText(TrustVerdict::LoaderNotMapped);
    }
    void forgedProgramLink()
    {
        QFETCH(bool, seenBefore);
        QFETCH(bool, execEvents);
        QFETCH(bool, throughLoader);
        QFETCH(QString, warning);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        QSKIP("the forging child runs without its program, which a sanitizer's runtime does not survive");
#endif
        if (QProcess::execute(QStringLiteral("unshare"), {"-r", "true"}) != 0)
            QSKIP("unprivileged user namespaces are not allowed on this machine");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString tool = dir.filePath("tool");
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), tool));
        std::optional<ForgedLink> inProcess;
        struct ThroughLoader {
            QProcess forger;
            pid_t pid = -1;
            ~ThroughLoader()
            {
                if (pid > 0)
                    ::kill(pid, SIGKILL);
                forger.kill();
                forger.waitForFinished(5000);
            }
        } throughIt;
        struct {
            pid_t pid = -1;
        } forged;
        if (throughLoader) {
            // The forging program, run by its loader: the program the kernel
            // started is the loader.
            const QString forger = QCoreApplication::applicationDirPath() + QStringLiteral("/zerva_forge_link");
            const int fd = ::open(qPrintable(forger), O_RDONLY | O_CLOEXEC);
            const std::optional<std::string> loader = ElfInterpreter(fd);
            if (fd >= 0)
                ::close(fd);
            if (!loader || loader->empty())
                QSKIP("the forging program names no loader");
            throughIt.forger.start(QString::fromStdString(*loader), {forger, tool});
            QVERIFY(throughIt.forger.waitForStarted(10000));
            QDeadlineTimer deadline(10000);
            while (!throughIt.forger.canReadLine() && !deadline.hasExpired())
                throughIt.forger.waitForReadyRead(100);
            throughIt.pid = throughIt.forger.readLine().trimmed().toInt();
            QVERIFY2(throughIt.pid > 0, throughIt.forger.readAllStandardError().constData());
            forged.pid = throughIt.pid;
        } else {
            inProcess.emplace(tool);
            forged.pid = inProcess->pid;
        }
        QVERIFY(forged.pid > 0);
        ListView list, trList;
        trList.add(tool);
        CheckBox box{QString()};
        ProcfsProcessSource source("/proc", std::nullopt, ProcfsProcessSource::KeptFilesBudget, execEvents);
        TrustMemory memory;
        if (seenBefore) {
            ListProcesses(list, source, box, trList, &memory);
            QCOMPARE(WarningOf(list, forged.pid), QString());
        }
        if (inProcess)
            inProcess->forge();
        QVERIFY2(waitFor([&] { return linkOf(forged.pid) == tool.toStdString(); }),
                 "the kernel did not take the forged link");
        ListProcesses(list, source, box, trList, &memory);
        const QString got = WarningOf(list, forged.pid);
        QVERIFY2(warning.split(u'|').contains(got), qPrintable(got));
    }

    // A copy of sleep, trusted, made a moment before it starts (its pages
    // not yet written back), in which something else runs: each row starts
    // it one way, from the temporary folder or from tmpfs (/dev/shm, whose
    // pages are never written back), and names the warning its row must
    // carry at the first refresh.
    void somethingElseRuns_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("tmpfs");
        QTest::addColumn<QString>("warning");
        QTest::newRow("plain") << "plain" << false << "hidden";
        QTest::newRow("plain, on tmpfs") << "plain" << true << "hidden";
        QTest::newRow("under a tracer") << "traced" << false << WarningText(TrustVerdict::Traced);
        QTest::newRow("with LD_PRELOAD") << "preload" << false << WarningText(TrustVerdict::Preload);
        QTest::newRow("code rewritten through /proc/PID/mem") << "mem" << false << WarningText(TrustVerdict::CodeChanged);
        QTest::newRow("code rewritten through /proc/PID/mem, on tmpfs")
            << "mem" << true << WarningText(TrustVerdict::CodeChanged);
    }
    void somethingElseRuns()
    {
        QFETCH(QString, how);
        QFETCH(bool, tmpfs);
        QFETCH(QString, warning);
        if (tmpfs && !QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            QSKIP("no /dev/shm to write to on this machine");
        QTemporaryDir dir((tmpfs ? QStringLiteral("/dev/shm") : QDir::tempPath()) + QStringLiteral("/zerva-test-XXXXXX"));
        QVERIFY(dir.isValid());
        const QString tool = dir.filePath("tool");
        QVERIFY(CopyUnsynced("/bin/sleep", tool.toStdString()));
        if (how == QLatin1String("preload")) {
            const QString library = someLibrary();
            QVERIFY(!library.isEmpty());
            ::setenv("LD_PRELOAD", qPrintable(library), 1);
        }
        SpawnedProcess process(tool.toStdString(), {"1000"});
        ::unsetenv("LD_PRELOAD");
        if (tmpfs && !process.started())
            QSKIP("/dev/shm does not let programs run (noexec)");
        QVERIFY(process.started());
        if (how == QLatin1String("traced"))
            QVERIFY2(::ptrace(PTRACE_SEIZE, process.pid(), nullptr, nullptr) == 0, "ptrace is not allowed here");
        // Right after exec the loader is still at work, and the kernel may
        // refuse the write for a moment.
        if (how == QLatin1String("mem"))
            QVERIFY(waitFor([&] { return RewriteCode(process.pid(), tool); }));
        ListView list;
        listedRow(list, process.pid(), {tool});
        QCOMPARE(WarningOf(list, process.pid()), warning);
    }

    // Threads that ended under a tracer stay as zombies in front of the one
    // that still runs; the first thread is a zombie too. The process is alive
    // and listed; trusted, it is listed for its tracer.
    void zombieThreadsInFront_data()
    {
        QTest::addColumn<bool>("trustSelf");
        QTest::addColumn<QString>("warning");
        QTest::newRow("untrusted") << false << QString();
        QTest::newRow("trusted") << true << WarningText(TrustVerdict::Traced);
    }
    void zombieThreadsInFront()
    {
        QFETCH(bool, trustSelf);
        QFETCH(QString, warning);
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
        ZombieThreads zombies;
        QVERIFY(zombies.pid > 0);
        QCOMPARE(int(zombies.traced.size()), ZombieThreads::Zombies);
        // The first thread, some ended threads still held by their tracer,
        // and the live one (a busy machine may have let a few go).
        QVERIFY2(waitFor([&] { return leaderZombie(zombies.pid, 3); }),
                 qPrintable(QStringLiteral("the first thread did not end: %1").arg(leaderState(zombies.pid))));
        ListView list;
        const std::optional<int> row = listedRow(list, zombies.pid, trustSelf ? QStringList{self} : QStringList{});
        QVERIFY(row);
        QCOMPARE(list.subItem(*row, 1), self);
        QCOMPARE(list.warning(*row), warning);
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
