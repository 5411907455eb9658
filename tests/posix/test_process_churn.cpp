// The live process list while processes and threads come and go by the
// hundred per second: every snapshot must give whole rows, never lose a
// process that lives throughout, and keep the window's label true.
#include "posix/support/process_churn.h"
#include "fakes/row_check.h"
#include "posix/support/sanitized.h"
#include "posix/support/spawned_process.h"
#include "main_window/zerva.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/os/posix/procfs_process_source.h"
#include "process/list_processes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace zerva;
using namespace zerva::test;

namespace {

// Processes that live for the whole test.
struct Sleepers {
    std::vector<std::unique_ptr<SpawnedProcess>> all;
    Sleepers()
    {
        for (int i = 0; i < 3; ++i)
            all.push_back(std::make_unique<SpawnedProcess>("/bin/sleep", std::vector<std::string>{"1000"}));
    }
    // The first sleeper missing from `list`, or 0.
    pid_t missingFrom(const ListView& list) const
    {
        for (const auto& s : all) {
            bool found = false;
            for (int row = 0; row < list.count() && !found; ++row)
                found = list.key(row) == s->pid();
            if (!found)
                return s->pid();
        }
        return 0;
    }
};

// Bounds a loop by time as well as by count, so that a crowded machine
// cannot stretch it without end: after `softMs` it stops as soon as the race
// has been exercised enough, after `hardMs` in any case.
class TimeBound {
public:
    TimeBound(qint64 softMs, qint64 hardMs) : m_softMs(softMs), m_hardMs(hardMs) { m_clock.start(); }

    bool over(bool exercisedEnough)
    {
        const qint64 ms = m_clock.elapsed();
        m_stopped = ms >= m_hardMs || (ms >= m_softMs && exercisedEnough);
        return m_stopped;
    }
    bool stopped() const { return m_stopped; }
    double seconds() const { return std::max<qint64>(m_clock.elapsed(), 1) / 1000.0; }

private:
    QElapsedTimer m_clock;
    qint64 m_softMs;
    qint64 m_hardMs;
    bool m_stopped = false;
};

// A plain run takes well under the soft limit on an idle machine.
constexpr qint64 SoftLimitMs = 45 * 1000;
constexpr qint64 HardLimitMs = 120 * 1000;

} // namespace

class TestProcessChurn : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // The window reads and may create kvr.conf in the working directory.
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir::setCurrent(m_dir.path()));
        m_true = QFileInfo(QStringLiteral("/bin/true")).canonicalFilePath();
    }

    void init()
    {
        // A copy of sleep made a moment before it runs, as a fresh build
        // is: its pages not yet written back must not pass for changed code.
        m_shortLived = m_dir.filePath(QStringLiteral("short-lived"));
        QFile::remove(m_shortLived);
        QVERIFY(CopyUnsynced("/bin/sleep", m_shortLived.toStdString()));
    }

    void listUnderChurn_data()
    {
        QTest::addColumn<int>("check1");
        QTest::addColumn<int>("refreshes");
        // With the window's 200 below, a thousand refreshes in all.
        QTest::newRow("trusted hidden") << 0 << Scaled(400);
        QTest::newRow("all shown") << 1 << Scaled(400);
    }
    void listUnderChurn()
    {
        QFETCH(int, check1);
        QFETCH(int, refreshes);
        Sleepers sleepers;
        for (const auto& s : sleepers.all)
            QVERIFY(s->started());
        ProcfsProcessSource source;
        ListView list, trList;
        // The churned programs are trusted: with the box unticked they must
        // never show up, however briefly they lived.
        trList.add(m_true);
        trList.add(m_shortLived);
        CheckBox box{QString()};
        box.setValue(check1);

        int churnSeen = 0;
        // Processes that end at once race the snapshots; ones that live a
        // few tenths of a second are sure to be in some of them, however
        // slowly the refreshes run, and must leave the list once ended.
        ProcessChurn churn;
        ProcessChurn lasting(1, {m_shortLived.toStdString(), "0.3"});
        // Enough to have raced the churn: an eighth of the refreshes, with as
        // many processes come and gone, and (all shown) one of them caught.
        const int enough = std::max(refreshes / 8, 1);
        const auto exercised = [&](int done) {
            return done >= enough && churn.processes() >= enough && (check1 == 0 || churnSeen > 0);
        };
        TimeBound bound(SoftLimitMs, HardLimitMs);
        // Refresh at least `refreshes` times, and on until as many processes
        // have come and gone, so the snapshots really race the churn however
        // fast either side runs on this machine.
        int done = 0;
        for (; (done < refreshes || (churn.processes() < refreshes && done < 10 * refreshes))
               && !bound.over(exercised(done));
             ++done) {
            const std::vector<ProcessChurn::Ended> endedBefore = lasting.ended();
            ListProcesses(list, source, box, trList);
            // Ended before the refresh, and nothing started again under the
            // same pid while it ran (pids go round quickly on a busy machine).
            std::vector<pid_t> ended;
            for (const ProcessChurn::Ended& e : lasting.ended())
                if (std::find(endedBefore.begin(), endedBefore.end(), e) != endedBefore.end())
                    ended.push_back(e.pid);
            const QString fault = ListFault(list, check1 == 1);
            QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("refresh %1: %2").arg(done).arg(fault)));
            QVERIFY2(sleepers.missingFrom(list) == 0, qPrintable(QStringLiteral("refresh %1").arg(done)));
            for (int row = 0; row < list.count(); ++row) {
                const QString path = list.subItem(row, 1);
                if (path != m_true && path != m_shortLived)
                    continue;
                ++churnSeen;
                if (check1 == 0)
                    qInfo("trusted row listed: %s", qPrintable(list.warning(row)));
                QVERIFY2(path != m_shortLived
                             || std::find(ended.begin(), ended.end(), pid_t(list.key(row))) == ended.end(),
                         qPrintable(QStringLiteral("refresh %1 lists ended process %2").arg(done).arg(list.key(row))));
            }
        }
        const long born = churn.processes();
        const double seconds = bound.seconds();
        if (bound.stopped())
            qInfo("stopped early after %.0f s (a crowded machine): %d of %d refreshes", seconds, done, refreshes);
        qInfo("%ld processes (%.0f/s), %ld that lived a while, and %ld threads came and went during %d refreshes; "
              "%d rows of them seen",
              born, born / seconds, lasting.processes(), churn.threads(), done, churnSeen);
        QCOMPARE(churn.failures(), 0L);
        QCOMPARE(lasting.failures(), 0L);
        QVERIFY2(done >= enough, qPrintable(QStringLiteral("only %1 refreshes").arg(done)));
        QVERIFY2(born >= (bound.stopped() ? enough : refreshes), qPrintable(QString::number(born)));
        if (check1 == 1)
            QVERIFY2(churnSeen > 0, "no snapshot caught a short-lived process");
        else
            QCOMPARE(churnSeen, 0);
    }

    void windowUnderChurn()
    {
        Sleepers sleepers;
        ZervaPlatform platform = MakeSystemPlatform();
        // A 1 ms timer lands ticks inside the refresh's DoEvents, so
        // refreshes also nest.
        platform.refreshIntervalMs = 1;
        Zerva window(std::move(platform));
        window.Form_Load();
        const ZervaForm& f = window.form();

        const int refreshes = Scaled(200);
        const int enough = std::max(refreshes / 8, 1);
        TimeBound bound(SoftLimitMs, HardLimitMs);
        ProcessChurn churn;
        int done = 0;
        for (; done < refreshes && !bound.over(done >= enough); ++done) {
            window.cmdRefresh_Click();
            QVERIFY2(f.List1->isHidden() != f.BufList->isHidden(), "exactly one list is shown");
            const ListView& shown = f.List1->isHidden() ? *f.BufList : *f.List1;
            QCOMPARE(f.lblOS->text(), QStringLiteral("Toplam %1 Process").arg(shown.count()));
            QCOMPARE(window.useList1(), &shown == f.BufList);
            const QString fault = ListFault(shown, false);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
            QVERIFY(sleepers.missingFrom(shown) == 0);
        }
        if (bound.stopped())
            qInfo("stopped early after %.0f s (a crowded machine): %d of %d refreshes", bound.seconds(), done,
                  refreshes);
        QVERIFY2(done >= enough, qPrintable(QStringLiteral("only %1 refreshes").arg(done)));
        window.close();
    }

private:
    QTemporaryDir m_dir;
    QString m_true;
    QString m_shortLived;   // a fresh copy of sleep, made for each test
};

QTEST_MAIN(TestProcessChurn)
#include "test_process_churn.moc"
