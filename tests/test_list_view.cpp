#include "platform/controls/list_view.h"
#include "platform/controls/trap.h"

#include <QtTest>

using namespace zerva;

class TestListView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findItem_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<int>("whole");
        QTest::addColumn<int>("partial");
        // items: "C:\Tools\X.exe", "c:\tools\x.exe.bak", "", "c:\tools\x.exe"
        QTest::newRow("first equal, any case") << "c:\\tools\\x.exe" << 0 << 0;
        QTest::newRow("beginning only") << "c:\\tools\\x" << -1 << 0;
        QTest::newRow("longer than any") << "c:\\tools\\x.exe.bak.old" << -1 << -1;
        QTest::newRow("empty text") << "" << 2 << 0;
        QTest::newRow("second entry") << "C:\\TOOLS\\X.EXE.BAK" << 1 << 1;
    }
    void findItem()
    {
        QFETCH(QString, search);
        QFETCH(int, whole);
        QFETCH(int, partial);
        ListView list;
        for (const char* t : {"C:\\Tools\\X.exe", "c:\\tools\\x.exe.bak", "", "c:\\tools\\x.exe"})
            list.add(QString::fromLatin1(t));
        QCOMPARE(list.findItem(search, ListView::Match::WholeWord).value_or(-1), whole);
        QCOMPARE(list.findItem(search, ListView::Match::Partial).value_or(-1), partial);
    }

    void indexFollowsChanges()
    {
        ListView list;
        list.add("a");
        QVERIFY(list.findItem("a", ListView::Match::WholeWord));
        list.clear();
        QVERIFY(!list.findItem("a", ListView::Match::WholeWord));
        list.add("b");
        QCOMPARE(list.findItem("B", ListView::Match::WholeWord).value_or(-1), 0);
    }

    void itemsAndSubItems()
    {
        ListView list;
        list.setColumns({"Dosya", "Path", "Modules"});
        const int i = list.add("text");
        QCOMPARE(list.subItem(i, 1), QString());   // never set reads empty
        list.setSubItem(i, 2, "two");
        QCOMPARE(list.subItem(i, 2), QStringLiteral("two"));
        QCOMPARE(list.count(), 1);
        QVERIFY(!list.selectedItem());
        QVERIFY(!Trap([&] { list.text(5); }));
        QVERIFY(!Trap([&] { list.setSubItem(5, 1, "x"); }));
    }

    void negativeHeightIsRefused()
    {
        ListView list;
        list.resize(100, 80);
        QVERIFY(!Trap([&] { list.setHeightPx(-1); }));
        QCOMPARE(list.height(), 80);
        QVERIFY(Trap([&] { list.setHeightPx(0); }));
        QCOMPARE(list.height(), 0);
    }

    void fillSortsOnce()
    {
        ListView list;
        list.setColumns({"Dosya", "Path", "Modules"});
        list.sortByColumn(0, Qt::AscendingOrder);
        {
            ListFill fill(list);
            list.clear();
            for (const char* t : {"b", "C", "a"})
                list.add(QString::fromLatin1(t));
            QCOMPARE(list.model()->rowCount(), 0);   // views see nothing half-filled
        }
        QCOMPARE(list.model()->rowCount(), 3);
        QCOMPARE(list.text(0), QStringLiteral("a"));
        QCOMPARE(list.text(2), QStringLiteral("C"));
    }
};

QTEST_MAIN(TestListView)
#include "test_list_view.moc"
