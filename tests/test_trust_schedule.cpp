// When the trust test inspects a trusted process again: the wait shared by
// the processes of one account, and a process that cannot be inspected;
// and what the kernel's record of a process adds to it.
#include "fakes/fake_process_source.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "process/list_processes.h"
#include "trusted/trust_memory.h"
#include "trusted/trust_verdict.h"

#include <QtTest>

using namespace zerva;
using namespace zerva::test;

namespace {

// `count` processes running the trusted /usr/bin/tool as `owner`, from
// `firstPid` on.
void addTrusted(FakeProcessSource& source, std::int64_t firstPid, int count, unsigned owner)
{
    for (std::int64_t pid = firstPid; pid < firstPid + count; ++pid) {
        source.processes.push_back(MakeProcess(pid, "tool", "/usr/bin/tool"));
        source.processes.back().startTime = static_cast<std::uint64_t>(pid);
        source.running[pid] = FileId{1, 10};
        ProcessInside& inside = source.inside[pid];
        inside.code.resize(1);
        inside.code[0].file = FileId{1, 10};
        inside.code[0].owner = 0;
        inside.owner = owner;
    }
}

struct Window {
    FakeProcessSource source;
    ListView list, trList;
    CheckBox box{QString()};
    TrustMemory memory;
    HiddenCount hidden;
    Window()
    {
        source.identifies = source.inspects = true;
        source.files["/usr/bin/tool"] = FileId{1, 10};
        trList.add(QStringLiteral("/usr/bin/tool"));
    }
    void refresh() { hidden = ListProcesses(list, source, box, trList, &memory); }
    qint64 waitOf(std::int64_t pid)
    {
        for (const ProcessInfo& p : source.processes)
            if (p.pid == pid)
                return memory.wait(memory.see(p)).count();
        return -1;
    }
};

} // namespace

class TestTrustSchedule : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void waitPerAccount_data()
    {
        QTest::addColumn<int>("many");      // trusted processes of account 1000
        QTest::addColumn<int>("few");       // of account 1001
        QTest::addColumn<qint64>("manyWait");
        QTest::addColumn<qint64>("fewWait");
        QTest::newRow("a few each") << 10 << 10 << qint64(5000) << qint64(5000);
        QTest::newRow("the budget of one account") << 200 << 1 << qint64(6250) << qint64(5000);
        QTest::newRow("thousands of one account") << 2000 << 1 << qint64(9000) << qint64(5000);
        QTest::newRow("thousands of two accounts") << 2000 << 2000 << qint64(9000) << qint64(9000);
    }
    void waitPerAccount()
    {
        QFETCH(int, many);
        QFETCH(int, few);
        QFETCH(qint64, manyWait);
        QFETCH(qint64, fewWait);
        Window w;
        addTrusted(w.source, 100, many, 1000);
        addTrusted(w.source, 100000, few, 1001);
        w.refresh();
        QCOMPARE(w.hidden.trusted, many + few);
        QCOMPARE(w.source.inspections, many + few);
        QCOMPARE(w.waitOf(100), manyWait);
        QCOMPARE(w.waitOf(100000), fewWait);
        // Inspected again no later than that.
        w.source.inspections = 0;
        w.refresh();
        QCOMPARE(w.source.inspections, 0);
    }

    // A trusted process that cannot be inspected (more threads than can be
    // looked at) is listed at once, and not tried again at every refresh;
    // an inspection that succeeded before does not hide it meanwhile.
    void uninspectableHeld_data()
    {
        QTest::addColumn<bool>("inspectedBefore");
        QTest::newRow("never inspected") << false;
        QTest::newRow("inspected, then no longer") << true;
    }
    void uninspectableHeld()
    {
        QFETCH(bool, inspectedBefore);
        Window w;
        addTrusted(w.source, 5, 1, 1000);
        if (inspectedBefore) {
            w.refresh();
            QCOMPARE(w.list.count(), 0);
            w.memory.recheckAfter = std::chrono::milliseconds(0);   // due at the next refresh
        }
        w.source.inside.erase(5);
        const int before = w.source.inspections;
        w.refresh();
        w.memory.recheckAfter = std::chrono::milliseconds(5000);
        const QString unreadable = WarningText(TrustVerdict::Unreadable);
        QCOMPARE(w.list.count(), 1);
        QCOMPARE(w.list.warning(0), unreadable);
        const int tries = w.source.inspections - before;
        QVERIFY(tries >= 1 && tries <= 2);
        for (int i = 0; i < 3; ++i) {
            w.refresh();
            QCOMPARE(w.list.count(), 1);
            QCOMPARE(w.list.warning(0), unreadable);
        }
        QCOMPARE(w.source.inspections, before + tries);
        // Once the hold has passed it is tried again, before its wait for a
        // new inspection is over: still listed while it cannot be inspected,
        // hidden once it can.
        w.memory.unreadableHold = std::chrono::milliseconds(0);
        w.refresh();
        QVERIFY(w.source.inspections > before + tries);
        QCOMPARE(w.list.count(), 1);
        QCOMPARE(w.list.warning(0), unreadable);
        const int retried = w.source.inspections;
        addTrusted(w.source, 5, 1, 1000);
        w.source.processes.pop_back();
        w.refresh();
        QCOMPARE(w.source.inspections, retried + 1);
        QCOMPARE(w.list.count(), 0);
    }

    // What the kernel reported of a trusted process (/usr/bin/tool, inode
    // 10), at two refreshes: "unknown", "file N..." (the files it executed),
    // "unreported" (an exec of no watched file), each with " attached" when
    // a tracer came. A file other than the link's is believed only at the
    // second look: its exec's report may still be on its way.
    void kernelRecord_data()
    {
        QTest::addColumn<bool>("reported");   // the kernel reports the file's execs
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("warnings");   // at each refresh, "-" for hidden
        const QString traced = WarningText(TrustVerdict::Traced);
        const QString other = WarningText(TrustVerdict::NotExecuted);
        QTest::newRow("nothing known") << true << "unknown" << "unknown" << "- -";
        QTest::newRow("the trusted file executed") << true << "file 10" << "file 10" << "- -";
        QTest::newRow("it and its loader") << true << "file 10 11" << "file 10 11" << "- -";
        QTest::newRow("another file executed") << true << "file 99" << "file 99" << "- " + other;
        QTest::newRow("no watched file executed") << true << "unreported" << "unreported" << "- " + other;
        QTest::newRow("mended by a late report") << true << "unreported" << "file 10" << "- -";
        QTest::newRow("another file, execs not reported") << false << "file 99" << "file 99" << "- -";
        QTest::newRow("a tracer came") << false << "unknown attached" << "unknown" << traced + " " + traced;
        QTest::newRow("a tracer, then another file") << true << "file 10" << "file 99 attached" << "- " + traced;
    }
    void kernelRecord()
    {
        QFETCH(bool, reported);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, warnings);
        Window w;
        w.source.reportsExecs = reported;
        addTrusted(w.source, 5, 1, 1000);
        QStringList got;
        for (const QString& record : {first, second}) {
            KernelRecord& k = w.source.processes[0].kernel;
            k = KernelRecord{};
            const QStringList f = record.split(u' ');
            k.exec = f[0] == QLatin1String("file")     ? KernelRecord::Exec::File
                : f[0] == QLatin1String("unreported") ? KernelRecord::Exec::Unreported
                                                      : KernelRecord::Exec::Unknown;
            for (const QString& n : f.mid(1)) {
                if (n == QLatin1String("attached"))
                    k.attached = true;
                else
                    k.executed[k.executedCount++] = FileId{1, n.toULongLong()};
            }
            w.refresh();
            got << (w.list.count() == 0 ? QStringLiteral("-") : w.list.warning(0));
        }
        QCOMPARE(got.join(u' '), warnings);
    }
};

QTEST_MAIN(TestTrustSchedule)
#include "test_trust_schedule.moc"
