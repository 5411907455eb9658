// The process source and the details block read and write every value
// afresh: a second scan sees what changed in between, and texts come out
// as DisplayText shows them, whatever the bytes.
#include "fakes/fake_process_source.h"
#include "platform/os/posix/procfs_process_source.h"
#include "posix/support/fake_proc_tree.h"
#include "posix/support/spawned_process.h"
#include "process/details_block.h"
#include "process/display_text.h"
#include "process/row_texts.h"

#include <QtTest>

#include <sys/resource.h>
#include <unistd.h>

using namespace zerva;
using namespace zerva::test;

namespace {

QString reference(const ProcessInfo& p)
{
    auto t = [](const std::optional<std::string>& v) { return v ? DisplayText(*v) : QString(); };
    auto n = [](const std::optional<std::int64_t>& v) { return v ? QString::number(*v) : QString(); };
    return "Oncelik derecesi(dusuk < yuksek): " + n(p.priority) + "\r\nKomut satiri: " + t(p.commandLine)
        + "\r\nHafiza kullanimi: " + KilobytesText(p.pageFileUsage) + " KB\r\nThread sayisi: " + n(p.threadCount)
        + "\r\nIsim: " + t(p.name) + "\r\nBaslik: " + t(p.caption) + "\r\nAciklama: " + t(p.description) + "\r\n";
}

} // namespace

class TestScanValues : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void secondScanSeesChanges_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("priority") << "renice";
        QTest::newRow("program and command line") << "exec";
        QTest::newRow("ended") << "end";
    }
    void secondScanSeesChanges()
    {
        QFETCH(QString, change);
        // A shell that waits for a line on its input, then becomes "sleep 30".
        SpawnedProcess child("/bin/sh", {"-c", "read x; exec sleep 30"}, SpawnedProcess::Input::Pipe);
        QVERIFY(child.started());
        ProcfsProcessSource source;
        std::vector<ProcessInfo> ps;
        QTRY_VERIFY(source.snapshot(ps) && FindPid(ps, child.pid()) && FindPid(ps, child.pid())->commandLine
                    && *FindPid(ps, child.pid())->commandLine == "/bin/sh -c read x; exec sleep 30");
        const ProcessInfo before = *FindPid(ps, child.pid());

        if (change == "renice") {
            QCOMPARE(::setpriority(PRIO_PROCESS, static_cast<id_t>(child.pid()), 7), 0);
            QVERIFY(source.snapshot(ps));
            QVERIFY(FindPid(ps, child.pid()));
            QCOMPARE(FindPid(ps, child.pid())->priority.value(), std::int64_t(13));
            QCOMPARE(FindPid(ps, child.pid())->commandLine, before.commandLine);
        } else if (change == "exec") {
            QVERIFY(child.writeInput("\n"));
            QTRY_VERIFY(source.snapshot(ps) && FindPid(ps, child.pid())
                        && FindPid(ps, child.pid())->commandLine.value_or("") == "sleep 30");
            const ProcessInfo& after = *FindPid(ps, child.pid());
            QVERIFY(after.executablePath);
            QVERIFY(QString::fromStdString(*after.executablePath).endsWith("/sleep"));
            QCOMPARE(after.caption.value(), std::string("sleep"));
            QCOMPARE(after.name.value(), std::string("sleep"));
        } else {
            const pid_t pid = child.pid();
            child.end();
            QVERIFY(source.snapshot(ps));
            QVERIFY(!FindPid(ps, pid));
        }
    }

    // Texts kept from one refresh to the next follow the process: one that
    // execs another program keeps its id and start time, one that rewrites
    // its arguments in place changes nothing else.
    void keptTextsFollowChanges_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("after");   // its command line once changed
        QTest::addColumn<bool>("onRequest");  // command lines read when the details are made
        const QStringList execs{"-c", "read x; exec sleep 30"};
        const QStringList rewrites{"-e", "<STDIN>; $0 = 'rewritten in place'; sleep 30"};
        QTest::newRow("execs another program") << "/bin/sh" << execs << "sleep 30" << false;
        QTest::newRow("rewrites its command line") << "/usr/bin/perl" << rewrites << "rewritten in place" << false;
        QTest::newRow("execs, command line on request") << "/bin/sh" << execs << "sleep 30" << true;
        QTest::newRow("rewrites, command line on request") << "/usr/bin/perl" << rewrites << "rewritten in place"
                                                           << true;
    }
    void keptTextsFollowChanges()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QString, after);
        QFETCH(bool, onRequest);
        std::vector<std::string> argv;
        for (const QString& a : args)
            argv.push_back(a.toStdString());
        SpawnedProcess child(program.toStdString(), argv, SpawnedProcess::Input::Pipe);
        QVERIFY(child.started());
        auto source = std::make_shared<ProcfsProcessSource>();
        RowTexts texts;
        if (onRequest) {
            QVERIFY(source->readCommandLinesOnRequest());
            texts.readCommandLinesFrom(source);
        }
        std::vector<ProcessInfo> ps;
        // The command line as the row's details show it.
        const auto shown = [&]() -> QString {
            if (!source->snapshot(ps) || !FindPid(ps, child.pid()))
                return QString();
            const QString details = texts.details(*FindPid(ps, child.pid()))->text();
            const QLatin1String label("Komut satiri: ");
            const qsizetype at = details.indexOf(label) + label.size();
            return details.mid(at, details.indexOf(u'\r', at) - at);
        };
        QTRY_VERIFY(!shown().isEmpty());
        const ProcessInfo before = *FindPid(ps, child.pid());
        QCOMPARE(before.commandLine.has_value(), !onRequest);
        const auto valuesBefore = texts.details(before);
        const QString detailsBefore = valuesBefore->text();
        QCOMPARE(texts.path(before), DisplayText(before.executablePath.value()));

        QVERIFY(child.writeInput("\n"));
        QTRY_COMPARE(shown(), after);
        const ProcessInfo& now = *FindPid(ps, child.pid());
        QCOMPARE(now.startTime, before.startTime);
        QVERIFY(now.startTime.has_value());
        QCOMPARE(texts.caption(now), DisplayText(now.caption.value()));
        QCOMPARE(texts.path(now), DisplayText(now.executablePath.value()));
        QCOMPARE(texts.entryPath(now), QString::fromStdString(now.executablePath.value()));
        if (!onRequest) {
            QCOMPARE(texts.details(now)->text(), reference(now));
            QVERIFY(texts.details(now)->text() != detailsBefore);
            QCOMPARE(valuesBefore->text(), detailsBefore);   // what a row holds stays as it was
        }
        texts.sweep();
        QCOMPARE(texts.size(), std::size_t(1));
    }

    void statAndCommandLineForms_data()
    {
        QTest::addColumn<QByteArray>("statTail");
        QTest::addColumn<QByteArray>("cmdline");
        QTest::addColumn<qint64>("priority");     // -1: null
        QTest::addColumn<qint64>("threads");      // -1: null
        QTest::addColumn<qint64>("pages");        // -1: null
        QTest::addColumn<QByteArray>("command");  // empty: null

        const QByteArray full = " S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 20 -5 4 0 99 1000 25 0 0\n";
        QByteArray longArgs;
        for (int i = 0; i < 3000; ++i)
            longArgs += QByteArray("arg") + QByteArray::number(i % 10) + '\0';
        QByteArray longLine = longArgs;
        longLine.chop(1);
        longLine.replace('\0', ' ');

        QTest::newRow("ordinary") << full << QByteArray("a\0b\0", 4) << 25LL << 4LL << 25LL << QByteArray("a b");
        QTest::newRow("command line beyond two buffers") << full << longArgs << 25LL << 4LL << 25LL << longLine;
        // Cut after CommandLineLimit bytes, never inside a character.
        const auto sized = [](qsizetype bytes) { return QByteArray(bytes, 'a'); };
        const qsizetype limit = qsizetype(CommandLineLimit);
        QTest::newRow("command line at the limit") << full << sized(limit) + '\0' << 25LL << 4LL << 25LL << sized(limit);
        QTest::newRow("one byte beyond") << full << sized(limit + 1) + '\0' << 25LL << 4LL << 25LL
                                         << sized(limit) + "...";
        QTest::newRow("2 MB command line") << full << sized(2 << 20) << 25LL << 4LL << 25LL << sized(limit) + "...";
        QTest::newRow("cut before a character")
            << full << sized(limit - 1) + "\xc3\xa7" << 25LL << 4LL << 25LL << sized(limit - 1) + "...";
        QTest::newRow("only NULs") << full << QByteArray("\0\0", 2) << 25LL << 4LL << 25LL << QByteArray();
        QTest::newRow("stat ends after the threads")
            << QByteArray(" S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 20 3 9\n") << QByteArray("x") << 17LL << 9LL << -1LL
            << QByteArray("x");
        QTest::newRow("line break before the fields end")
            << QByteArray(" S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 20 0\n 4 0 99 1000 25\n") << QByteArray("x") << 20LL
            << -1LL << -1LL << QByteArray("x");
        QTest::newRow("double blanks") << QByteArray(" S  1 2 3 4 5 6 7 8 9 10 11 12 13 14 20  1 2 0 99 1000 7\n")
                                       << QByteArray("x") << 19LL << 2LL << 7LL << QByteArray("x");
    }
    void statAndCommandLineForms()
    {
        QFETCH(QByteArray, statTail);
        QFETCH(QByteArray, cmdline);
        QFETCH(qint64, priority);
        QFETCH(qint64, threads);
        QFETCH(qint64, pages);
        QFETCH(QByteArray, command);

        FakeProcTree proc;
        QVERIFY(proc.isValid());
        QVERIFY(proc.addProcess(42, "a) b", statTail, cmdline));
        ProcfsProcessSource source(proc.path());
        // Twice: the second scan reads through the files kept open.
        for (int scan = 0; scan < 2; ++scan) {
            std::vector<ProcessInfo> ps;
            QVERIFY(source.snapshot(ps));
            QCOMPARE(ps.size(), std::size_t(1));
            const ProcessInfo& p = ps[0];
            QCOMPARE(p.name.value(), std::string("a) b"));
            QCOMPARE(p.priority.value_or(-1), priority);
            QCOMPARE(p.threadCount.value_or(-1), threads);
            QCOMPARE(p.pageFileUsage ? *p.pageFileUsage / ::sysconf(_SC_PAGESIZE) : -1, pages);
            QCOMPARE(QByteArray::fromStdString(p.commandLine.value_or("")), command);
            QCOMPARE(p.commandLine.has_value(), !command.isEmpty());
        }
    }

    void detailsTextsAreTheirDecoding_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("number");
        QTest::newRow("ASCII") << QByteArray("/usr/bin/tool --x") << 20LL;
        QTest::newRow("Turkish letters") << QByteArray("/opt/\xc3\xa7" "al\xc4\xb1\xc5\x9f/ara\xc3\xa7") << 1LL;
        QTest::newRow("invalid UTF-8") << QByteArray("bad \xff\xfe end") << 0LL;
        QTest::newRow("truncated sequence at the end") << QByteArray("cut \xc3") << 39LL;
        QTest::newRow("negative number") << QByteArray("x") << -5LL;
        QTest::newRow("empty") << QByteArray("") << 9223372036854775807LL;
    }
    void detailsTextsAreTheirDecoding()
    {
        QFETCH(QByteArray, text);
        QFETCH(qint64, number);
        ProcessInfo p;
        p.caption = p.name = p.description = p.commandLine = text.toStdString();
        p.priority = p.threadCount = number;
        p.pageFileUsage = number;
        QCOMPARE(DetailsBlock(p), reference(p));
    }

    // However high the file limit, the files kept open stay within the
    // budget; the processes beyond it are still listed.
    void keptFilesStayWithinBudget()
    {
        rlimit lim{};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &lim), 0);
        // A small budget, and room beyond it and its reserve.
        const std::size_t budget = 256;
        const rlim_t want = std::max<rlim_t>(lim.rlim_cur, budget + 2048);
        if (lim.rlim_max != RLIM_INFINITY && lim.rlim_max < want)
            QSKIP("the hard file limit is below what this test needs");
        lim.rlim_cur = want;
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &lim), 0);
        FakeProcTree proc;
        QVERIFY(proc.isValid());
        // Two files each: more than the budget covers.
        const int processes = int(budget / 2 + 100);
        for (int pid = 1; pid <= processes; ++pid)
            QVERIFY(proc.addProcess(pid, "p", " S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 20 0 1\n", "p"));
        const auto openFiles = [] { return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size(); };
        const qsizetype before = openFiles();
        ProcfsProcessSource source(proc.path(), std::nullopt, budget);
        for (int scan = 0; scan < 2; ++scan) {
            std::vector<ProcessInfo> ps;
            QVERIFY(source.snapshot(ps));
            QCOMPARE(ps.size(), std::size_t(processes));
        }
        QVERIFY(openFiles() - before >= qsizetype(budget) - 2);   // kept, up to the budget
        QVERIFY2(openFiles() - before <= qsizetype(budget),
                 qPrintable(QString::number(openFiles() - before)));
    }

    // Last: it lowers this test process's file limit for good.
    void noRowLostWhenFileHandlesRunOut()
    {
        FakeProcTree proc;
        QVERIFY(proc.isValid());
        for (int pid = 1; pid <= 100; ++pid)
            QVERIFY(proc.addProcess(pid, "p", " S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 20 0 1\n", "p"));
        rlimit lim{600, 600};
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &lim), 0);
        ProcfsProcessSource source(proc.path());
        // Leave fewer free handles than the source means to keep open.
        std::vector<int> taken;
        for (int fd = ::dup(0); fd >= 0; fd = ::dup(0)) {
            taken.push_back(fd);
            if (fd >= 540)
                break;
        }
        for (int scan = 0; scan < 3; ++scan) {
            std::vector<ProcessInfo> ps;
            QVERIFY(source.snapshot(ps));
            QCOMPARE(ps.size(), std::size_t(100));
        }
        for (const int fd : taken)
            ::close(fd);
    }
};

QTEST_GUILESS_MAIN(TestScanValues)
#include "test_scan_values.moc"
