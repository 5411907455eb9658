// Ten thousand refreshes of the main window must not make the heap grow:
// whatever a refresh allocates, the next one gives back. The window is not
// shown, so that the measure is of the refresh and not of Qt's painting,
// and so that the sanitizer build gets through in time; that build also
// checks that nothing is lost at exit.
#include "fakes/zerva_fixture.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/os/memory.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include <malloc.h>

#include "posix/support/sanitized.h"

#ifdef ZERVA_ASAN
// From the sanitizer runtime (GCC ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

using namespace zerva;
using namespace zerva::test;

namespace {

// Bytes the program holds on the heap right now.
qint64 heapInUse()
{
#ifdef ZERVA_ASAN
    return static_cast<qint64>(__sanitizer_get_current_allocated_bytes());
#else
    return static_cast<qint64>(mallinfo2().uordblks);
#endif
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refreshesDoNotGrowTheHeap()
    {
        std::vector<ProcessInfo> processes = ManyProcesses(150);
        processes.push_back(MakeProcess(90, "kthread", std::nullopt));
        // Start-up reads the trusted programs from kvr.conf here.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile conf(dir.filePath(QStringLiteral("kvr.conf")));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        QVERIFY(conf.write("/bin/p7\r\n/BIN/P8\r\n") > 0);
        conf.close();
        const QString home = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        ZervaFixture z(processes);
        z.window->Form_Load();
        QDir::setCurrent(home);
        QCOMPARE(z.form().TrList->count(), 2);

        constexpr int kRefreshes = Scaled(10000);
        constexpr int kWarmUp = Scaled(500);
        // A leak of 8 bytes per refresh would show as 76 000.
        constexpr qint64 kSlack = 64 * 1024;
        qint64 base = 0;
        qint64 peak = 0;
        for (int i = 1; i <= kRefreshes; ++i) {
            // A process ends and a new one starts between refreshes, and now
            // and then "Guvenilirleri goster" is switched.
            z.source->processes[static_cast<std::size_t>(i % 150)].pid = 5000 + i;
            if (i % 100 == 0)
                z.form().Check1->setValue(i % 200 == 0 ? 0 : 1);
            else
                z.window->cmdRefresh_Click();
            if (i == kWarmUp)
                base = heapInUse();
            else if (i > kWarmUp && i % kWarmUp == 0)
                peak = std::max(peak, heapInUse());
        }
        const ZervaForm& f = z.form();
        const ListView& shown = f.List1->isHidden() ? *f.BufList : *f.List1;
        QCOMPARE(shown.count(), 148);   // two trusted, one without a path
        QCOMPARE(f.lblOS->text(), QStringLiteral("Toplam 148 Process"));
        qInfo("heap in use after %d refreshes: %lld bytes; highest later: %lld (%+lld)", kWarmUp, base, peak,
              peak - base);
        QVERIFY2(peak - base <= kSlack, qPrintable(QStringLiteral("heap grew by %1 bytes").arg(peak - base)));
    }

    // A block of 100 KiB, under the allocator's own first threshold, is
    // mapped apart once the program has set its own: proof that the
    // setting takes effect. Freed, it goes back to the system at once.
    void largeBlocksStayOutOfTheHeap()
    {
#ifdef ZERVA_ASAN
        QSKIP("the sanitizer has an allocator of its own");
#endif
        ReturnLargeBlocks();
        const std::size_t before = mallinfo2().hblkhd;
        void* block = std::malloc(100 * 1024);
        QVERIFY(block);
        QVERIFY(mallinfo2().hblkhd >= before + 100 * 1024);
        std::free(block);
        QCOMPARE(mallinfo2().hblkhd, before);
        ReleaseFreeMemory();
    }
};

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
