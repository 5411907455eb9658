#include "fakes/zerva_fixture.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

using namespace zerva;
using namespace zerva::test;

namespace {

// Which list is on show: "BufList", "List1", or "both".
QString shown(const ZervaForm& f)
{
    if (!f.List1->isHidden() && !f.BufList->isHidden())
        return "both";
    return f.List1->isHidden() ? "BufList" : "List1";
}

} // namespace

class TestZervaRefresh : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void createdState()
    {
        ZervaFixture z(ManyProcesses(3));
        QCOMPARE(shown(z.form()), QStringLiteral("both"));
        QVERIFY(!z.window->useList1());
        QCOMPARE(z.form().lblOS->text(), QStringLiteral("Operating System:"));
        QCOMPARE(z.form().Check1->value(), 0);
        QCOMPARE(z.form().Check2->value(), 0);
        QVERIFY(z.form().Timer1->isActive());
        QCOMPARE(z.form().Timer1->interval(), 3600 * 1000);
        QVERIFY(z.form().TrList->isHidden());
    }

    void startUp()
    {
        ZervaFixture z(ManyProcesses(42));
        z.window->Form_Load();
        QCOMPARE(z.window->windowTitle(), QStringLiteral("Zerva V1.0"));
        QCOMPARE(shown(z.form()), QStringLiteral("BufList"));
        QVERIFY(z.window->useList1());
        QCOMPARE(z.form().Check2->value(), 1);
        QVERIFY(z.form().Timer1->isActive());
        QCOMPARE(z.form().BufList->count(), 42);
        QCOMPARE(z.form().lblOS->text(), QStringLiteral("Toplam 42 Process"));
        QCOMPARE(z.source->snapshots, 1);
    }

    // As the program starts: the window paints at once, with both lists
    // empty, and start-up's refresh fills one right after.
    void startUpRefreshAfterFirstPaint()
    {
        ZervaFixture z(ManyProcesses(42));
        z.window->Form_Load(Zerva::FirstRefresh::AfterFirstPaint);
        QCOMPARE(z.source->snapshots, 0);
        QCOMPARE(z.form().lblOS->text(), QString());
        QCOMPARE(z.form().BufList->count() + z.form().List1->count(), 0);
        z.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(z.window.get()));
        QTRY_COMPARE(z.form().lblOS->text(), QStringLiteral("Toplam 42 Process"));
        QCOMPARE(shown(z.form()), QStringLiteral("BufList"));
        QCOMPARE(z.form().BufList->count(), 42);
        QVERIFY(z.window->useList1());
        z.window->repaint();
        QTest::qWait(20);
        QCOMPARE(z.source->snapshots, 1);
    }

    void refreshesAlternate()
    {
        ZervaFixture z(ManyProcesses(5));
        z.window->Form_Load();
        const QStringList expected{"List1", "BufList", "List1", "BufList"};
        for (int i = 0; i < expected.size(); ++i) {
            z.source->processes = ManyProcesses(10 + i);
            z.form().cmdRefresh->click();
            QCOMPARE(shown(z.form()), expected[i]);
            const ListView* list = expected[i] == "List1" ? z.form().List1 : z.form().BufList;
            QCOMPARE(list->count(), 10 + i);
            QCOMPARE(z.form().lblOS->text(), QStringLiteral("Toplam %1 Process").arg(10 + i));
        }
    }

    void check1RefreshesAtOnce()
    {
        ZervaFixture z({MakeProcess(1, "a", "/a"), MakeProcess(2, "k", std::nullopt)});
        z.window->Form_Load();
        QCOMPARE(z.form().lblOS->text(), QStringLiteral("Toplam 1 Process"));
        z.form().Check1->click();
        QCOMPARE(shown(z.form()), QStringLiteral("List1"));
        QCOMPARE(z.form().lblOS->text(), QStringLiteral("Toplam 2 Process"));
        z.form().Check1->click();
        QCOMPARE(shown(z.form()), QStringLiteral("BufList"));
        QCOMPARE(z.form().lblOS->text(), QStringLiteral("Toplam 1 Process"));
    }

    void check2StartsAndStopsTheTimer()
    {
        ZervaFixture z(ManyProcesses(1));
        z.window->Form_Load();
        const int before = z.source->snapshots;
        z.form().Check2->click();
        QVERIFY(!z.form().Timer1->isActive());
        z.form().Check2->click();
        QVERIFY(z.form().Timer1->isActive());
        QCOMPARE(z.source->snapshots, before);   // ticking does not refresh by itself
    }

    void timerRefreshes()
    {
        ZervaFixture z(ManyProcesses(2), 10);
        z.window->Form_Load();
        QTRY_VERIFY(z.source->snapshots >= 4);
        z.form().Check2->setValue(0);
        const int stopped = z.source->snapshots;
        QTest::qWait(60);
        QCOMPARE(z.source->snapshots, stopped);
    }

    void nestedRefreshKeepsAlternation()
    {
        ZervaFixture z(ManyProcesses(3));
        z.window->Form_Load();
        // A click that is waiting when the refresh starts runs inside it.
        QMetaObject::invokeMethod(z.window.get(), [&] { z.window->cmdRefresh_Click(); }, Qt::QueuedConnection);
        z.window->cmdRefresh_Click();
        QCOMPARE(z.source->snapshots, 3);
        QCOMPARE(shown(z.form()), QStringLiteral("BufList"));
        QVERIFY(z.window->useList1());
        QCOMPARE(z.form().lblOS->text(), QStringLiteral("Toplam 3 Process"));
    }

    void unavailableSourceCountsZero()
    {
        ZervaFixture z(ManyProcesses(3));
        z.source->available = false;
        z.window->Form_Load();
        QCOMPARE(z.form().lblOS->text(), QStringLiteral("Toplam 0 Process"));
        QCOMPARE(shown(z.form()), QStringLiteral("BufList"));
    }

    void swapKeepsSelectionScrollAndSort()
    {
        ZervaFixture z(ManyProcesses(300));
        z.window->resize(500, 400);
        z.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(z.window.get()));
        z.window->Form_Load();
        ListView* shownList = z.form().BufList;
        // Sort by caption, descending; select a process and scroll to it.
        shownList->header()->setSortIndicator(0, Qt::DescendingOrder);
        const QModelIndex pick = shownList->model()->index(150, 0);
        shownList->setCurrentIndex(pick);
        shownList->scrollTo(pick, QAbstractItemView::PositionAtTop);
        const qint64 pid = shownList->key(*shownList->selectedItem());
        const int scroll = shownList->verticalScrollBar()->value();
        QVERIFY(scroll > 0);
        const QString first = shownList->text(0);

        z.window->cmdRefresh_Click();
        ListView* now = z.form().List1;
        QCOMPARE(shown(z.form()), QStringLiteral("List1"));
        QCOMPARE(now->header()->sortIndicatorSection(), 0);
        QCOMPARE(now->header()->sortIndicatorOrder(), Qt::DescendingOrder);
        QVERIFY(now->selectedItem().has_value());
        QCOMPARE(now->key(*now->selectedItem()), pid);
        QCOMPARE(now->verticalScrollBar()->value(), scroll);
        QCOMPARE(now->text(0), first);
        // The list put away keeps its rows, not their texts, until its next
        // fill.
        QCOMPARE(shownList->count(), 300);
        QCOMPARE(shownList->model()->data(shownList->model()->index(0, 0)), QVariant());
        z.window->cmdRefresh_Click();
        QCOMPARE(shown(z.form()), QStringLiteral("BufList"));
        QCOMPARE(shownList->text(0), first);
        QCOMPARE(shownList->key(*shownList->selectedItem()), pid);
    }

    void exitClosesAndStopsTimer()
    {
        ZervaFixture z(ManyProcesses(1));
        z.window->show();
        z.window->Form_Load();
        z.form().cmdExit->click();
        QVERIFY(!z.window->isVisible());
        QVERIFY(!z.form().Timer1->isActive());
    }
};

QTEST_MAIN(TestZervaRefresh)
#include "test_zerva_refresh.moc"
