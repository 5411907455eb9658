// Ten thousand refreshes of a shown main window must not make the heap
// grow: whatever a refresh allocates, the next one gives back. The
// sanitizer build also checks that nothing is lost at exit.
#include "fakes/zerva_fixture.h"
#include "platform/check_box.h"
#include "platform/list_view.h"

#include <QLabel>
#include <QtTest>

#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
#define ZERVA_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZERVA_ASAN 1
#endif
#endif
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
        ZervaFixture z(processes);
        z.form().TrList->add(QStringLiteral("/bin/p7"));
        z.form().TrList->add(QStringLiteral("/BIN/P8"));
        z.window->Form_Load();
        z.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(z.window.get()));

        constexpr int kRefreshes = 10000;
        constexpr int kWarmUp = 500;
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
            else if (i > kWarmUp && i % 500 == 0)
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
};

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
