#include "fakes/fake_process_source.h"
#include "fakes/list_texts.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "process/details_block.h"
#include "process/list_processes.h"

#include <QtTest>

using namespace zerva;
using namespace zerva::test;
using zerva::test::FakeProcessSource;
using zerva::test::MakeProcess;

class TestListProcesses : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void whichProcessesAreListed_data()
    {
        QTest::addColumn<int>("check1");
        QTest::addColumn<QStringList>("rows");
        // trusted "/bin/t", another file behind "/bin/t" "i", plain "/bin/p",
        // no path "kthread", empty path "e", a hidden path "hid"
        QTest::newRow("unticked") << 0 << QStringList{"i", "p", "e", "hid"};
        QTest::newRow("ticked") << 1 << QStringList{"t", "i", "p", "kthread", "e", "hid"};
    }
    void whichProcessesAreListed()
    {
        QFETCH(int, check1);
        QFETCH(QStringList, rows);
        FakeProcessSource source;
        source.processes = {MakeProcess(1, "t", "/bin/T"), MakeProcess(5, "i", "/bin/t"),
                            MakeProcess(2, "p", "/bin/p"), MakeProcess(3, "kthread", std::nullopt),
                            MakeProcess(4, "e", ""), MakeProcess(6, "hid", std::nullopt)};
        source.processes.back().pathSuspect = true;
        source.identifies = true;
        source.files = {{"/bin/t", FileId{1, 10}}};
        source.running = {{1, FileId{1, 10}}, {5, FileId{1, 11}}};
        ListView list, trList;
        trList.add("/bin/t");
        CheckBox box(QString{});
        box.setValue(check1);
        ListProcesses(list, source, box, trList);
        QCOMPARE(ListTexts(list), rows);
    }

    void rowTexts()
    {
        FakeProcessSource source;
        source.processes = {MakeProcess(7, "Cap", "/Opt/App/Cap"), MakeProcess(8, "k", std::nullopt),
                            MakeProcess(9, "e", ""), MakeProcess(10, "a\nb", std::nullopt)};
        source.processes.back().pathSuspect = true;
        ListView list, trList;
        trList.add("/other");
        CheckBox box(QString{});
        box.setValue(1);
        ListProcesses(list, source, box, trList);
        QCOMPARE(list.count(), 4);
        // Path keeps its letter case; the trust test works on a copy.
        QCOMPARE(list.subItem(0, 1), QStringLiteral("/Opt/App/Cap"));
        QCOMPARE(list.subItem(0, 2), DetailsBlock(source.processes[0]));
        QCOMPARE(list.key(0), qint64(7));
        // Caption-only row.
        QCOMPARE(list.text(1), QStringLiteral("k"));
        QCOMPARE(list.subItem(1, 1), QString());
        QCOMPARE(list.subItem(1, 2), QString());
        // Empty path takes the path branch: full details block.
        QCOMPARE(list.subItem(2, 1), QString());
        QCOMPARE(list.subItem(2, 2).count(QStringLiteral("\r\n")), 7);
        // A hidden path: full row, empty path; texts shown escaped.
        QCOMPARE(list.text(3), QStringLiteral("a\\nb"));
        QCOMPARE(list.subItem(3, 1), QString());
        QCOMPARE(list.subItem(3, 2), DetailsBlock(source.processes[3]));
    }

    void replacesRowsAndKeepsSourceOrder()
    {
        FakeProcessSource source;
        source.processes = {MakeProcess(3, "c", "/c"), MakeProcess(1, "a", "/a"), MakeProcess(2, "b", "/b")};
        ListView list, trList;
        CheckBox box(QString{});
        ListProcesses(list, source, box, trList);
        ListProcesses(list, source, box, trList);
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.text(0), QStringLiteral("c"));
        QCOMPARE(list.text(2), QStringLiteral("b"));
    }

    void unavailableSourceLeavesListEmpty()
    {
        FakeProcessSource source;
        source.processes = {MakeProcess(1, "a", "/a")};
        ListView list, trList;
        CheckBox box(QString{});
        ListProcesses(list, source, box, trList);
        QCOMPARE(list.count(), 1);
        source.available = false;
        ListProcesses(list, source, box, trList);
        QCOMPARE(list.count(), 0);
    }
};

QTEST_MAIN(TestListProcesses)
#include "test_list_processes.moc"
