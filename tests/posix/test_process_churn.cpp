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
        // The churned program is trusted: with the box unticked it must
        // never show up, however briefly it lived.
        trList.add(m_true);
        CheckBox box{QString()};
        box.setValue(check1);

        int churnSeen = 0;
        QElapsedTimer clock;
        clock.start();
        ProcessChurn churn;
        // Refresh at least `refreshes` times, and on until as many processes
        // have come and gone, so the snapshots really race the churn however
        // fast either side runs on this machine.
        int done = 0;
        for (int i = 0; i < refreshes || (churn.processes() < refreshes && i < 10 * refreshes); ++i, ++done) {
            ListProcesses(list, source, box, trList);
            const QString fault = ListFault(list, check1 == 1);
            QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("refresh %1: %2").arg(i).arg(fault)));
            QVERIFY2(sleepers.missingFrom(list) == 0, qPrintable(QStringLiteral("refresh %1").arg(i)));
            for (int row = 0; row < list.count(); ++row)
                churnSeen += list.subItem(row, 1) == m_true;
        }
        const long born = churn.processes();
        QCOMPARE(churn.failures(), 0L);
        QVERIFY2(born >= refreshes, qPrintable(QString::number(born)));
        if (check1 == 1)
            QVERIFY2(churnSeen > 0, "no snapshot caught a short-lived process");
        else
            QCOMPARE(churnSeen, 0);
        const double seconds = std::max<qint64>(clock.elapsed(), 1) / 1000.0;
        qInfo("%ld processes (%.0f/s) and %ld threads came and went during %d refreshes; %d rows of them seen",
              born, born / seconds, churn.threads(), done, churnSeen);
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

        ProcessChurn churn;
        for (int i = 0; i < Scaled(200); ++i) {
            window.cmdRefresh_Click();
            QVERIFY2(f.List1->isHidden() != f.BufList->isHidden(), "exactly one list is shown");
            const ListView& shown = f.List1->isHidden() ? *f.BufList : *f.List1;
            QCOMPARE(f.lblOS->text(), QStringLiteral("Toplam %1 Process").arg(shown.count()));
            QCOMPARE(window.useList1(), &shown == f.BufList);
            const QString fault = ListFault(shown, false);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
            QVERIFY(sleepers.missingFrom(shown) == 0);
        }
        window.close();
    }

private:
    QTemporaryDir m_dir;
    QString m_true;
};

QTEST_MAIN(TestProcessChurn)
#include "test_process_churn.moc"
