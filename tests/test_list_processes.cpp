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
        QTest::addColumn<QString>("hidden");
        // trusted "/bin/t", another file behind "/bin/t" "i", plain "/bin/p",
        // no path "kthread", empty path "e", a hidden path "hid", a kernel
        // thread "kt", an ending process "z"
        QTest::newRow("unticked") << 0 << QStringList{"i", "p", "e", "hid"}
                                  << "4 gizli: 1 guvenilir, 1 bakilamayan, 1 cekirdek is parcacigi, 1 sonlanmakta olan";
        QTest::newRow("ticked") << 1 << QStringList{"t", "i", "p", "kthread", "e", "hid", "kt", "z"} << "0 gizli";
    }
    void whichProcessesAreListed()
    {
        QFETCH(int, check1);
        QFETCH(QStringList, rows);
        QFETCH(QString, hidden);
        FakeProcessSource source;
        source.processes = {MakeProcess(1, "t", "/bin/T"), MakeProcess(5, "i", "/bin/t"),
                            MakeProcess(2, "p", "/bin/p"), MakeProcess(3, "kthread", std::nullopt),
                            MakeProcess(4, "e", ""), MakeProcess(6, "hid", std::nullopt),
                            MakeProcess(7, "kt", std::nullopt), MakeProcess(8, "z", std::nullopt)};
        source.processes[5].pathSuspect = true;
        source.processes[6].noProgram = ProcessInfo::NoProgram::KernelThread;
        source.processes[7].noProgram = ProcessInfo::NoProgram::Ending;
        source.identifies = true;
        source.files = {{"/bin/t", FileId{1, 10}}};
        source.running = {{1, FileId{1, 10}}, {5, FileId{1, 11}}};
        ListView list, trList;
        trList.add("/bin/t");
        CheckBox box(QString{});
        box.setValue(check1);
        QCOMPARE(HiddenText(ListProcesses(list, source, box, trList)), hidden);
        QCOMPARE(ListTexts(list), rows);
    }

    void rowTexts()
    {
        FakeProcessSource source;
        source.processes = {MakeProcess(7, "Cap", "/Opt/App/Cap"), MakeProcess(8, "k", std::nullopt),
                            MakeProcess(9, "e", ""), MakeProcess(10, "a\nb", std::nullopt),
                            MakeProcess(11, "x", "/opt/\xff"), MakeProcess(12, "y", "/opt/\u200ey"),
                            MakeProcess(13, "Cap", "/Opt/App/Cap")};
        source.processes[3].pathSuspect = true;
        ListView list, trList;
        trList.add("/other");
        CheckBox box(QString{});
        box.setValue(1);
        ListProcesses(list, source, box, trList);
        QCOMPARE(list.count(), 7);
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
        // The tag keeps the path as reported, for a trusted entry; a path
        // that is not UTF-8 can be none.
        QCOMPARE(list.tag(0), QStringLiteral("/Opt/App/Cap"));
        QCOMPARE(list.tag(1), QString());
        QCOMPARE(list.subItem(4, 1), QStringLiteral("/opt/\\xFF"));
        QCOMPARE(list.tag(4), QString());
        QCOMPARE(list.subItem(5, 1), QStringLiteral("/opt/\\xE2\\x80\\x8Ey"));
        QCOMPARE(list.tag(5), QStringLiteral("/opt/\u200ey"));
        // Two processes of one program hold one text of each.
        QCOMPARE(list.subItem(6, 1).constData(), list.subItem(0, 1).constData());
        QCOMPARE(list.text(6).constData(), list.text(0).constData());
        QCOMPARE(list.tag(6), QStringLiteral("/Opt/App/Cap"));
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
