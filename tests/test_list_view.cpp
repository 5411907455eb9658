#include "platform/controls/left_to_right.h"
#include "platform/controls/list_view.h"
#include "platform/controls/text_box.h"
#include "platform/controls/trap.h"

#include <QClipboard>
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

    // The model's plain lookup: the caller's key function decides what is
    // alike; every alike row comes back, in list order.
    void rowsWithKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("folded");   // key function: lower-case, or the text itself
        QTest::addColumn<QList<int>>("rows");
        // items: "C:\Tools\X.exe", "c:\tools\x.exe.bak", "", "c:\tools\x.exe"
        QTest::newRow("folded: both spellings") << "c:\\tools\\x.exe" << true << QList<int>{0, 3};
        QTest::newRow("exact: one spelling") << "c:\\tools\\x.exe" << false << QList<int>{3};
        QTest::newRow("keys are not folded again") << "C:\\TOOLS\\X.EXE" << true << QList<int>{};
        QTest::newRow("beginning only") << "c:\\tools\\x" << true << QList<int>{};
        QTest::newRow("empty") << "" << false << QList<int>{2};
    }
    void rowsWithKey()
    {
        QFETCH(QString, key);
        QFETCH(bool, folded);
        QFETCH(QList<int>, rows);
        ListView list;
        for (const char* t : {"C:\\Tools\\X.exe", "c:\\tools\\x.exe.bak", "", "c:\\tools\\x.exe"})
            list.add(QString::fromLatin1(t));
        const auto lower = [](const QString& t) { return t.toLower(); };
        const auto same = [](const QString& t) { return t; };
        // Twice, the other key function in between: each builds its own index.
        for (int pass = 0; pass < 2; ++pass) {
            const auto got = list.items().rowsWithKey(key, folded ? +lower : +same);
            QCOMPARE(QList<int>(got.begin(), got.end()), rows);
            list.items().rowsWithKey(key, folded ? +same : +lower);
        }
    }

    void indexFollowsChanges()
    {
        ListView list;
        const auto lower = [](const QString& t) { return t.toLower(); };
        list.add("a");
        QVERIFY(list.findItem("a", ListView::Match::WholeWord));
        QCOMPARE(list.items().rowsWithKey("a", +lower).size(), qsizetype(1));
        list.clear();
        QVERIFY(!list.findItem("a", ListView::Match::WholeWord));
        QCOMPARE(list.items().rowsWithKey("a", +lower).size(), qsizetype(0));
        list.add("b");
        list.add("B");
        QCOMPARE(list.findItem("B", ListView::Match::WholeWord).value_or(-1), 0);
        QCOMPARE(list.items().rowsWithKey("b", +lower).size(), qsizetype(2));
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

    void leftToRight_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("drawn");   // < > ( ): LRI, PDI, FSI, PDI
        QTest::newRow("Latin as it is") << "/usr/bin/sleep" << "/usr/bin/sleep";
        QTest::newRow("Hebrew folders") << QString::fromUtf8("/a/א/ב/x") << QString::fromUtf8("</a/(א)/(ב)/x>");
        QTest::newRow("Arabic folder, blanks")
            << QString::fromUtf8("/opt/مجلد جديد/x") << QString::fromUtf8("</opt/(مجلد) (جديد)/x>");
        QTest::newRow("lines, CR LF kept outside")
            << QString::fromUtf8("Path: \r\n/א/b\r\nx") << QString::fromUtf8("<Path: >\r\n</(א)/b>\r\n<x>");
        QTest::newRow("right-to-left beyond the BMP")
            << QString::fromUtf8("/a/\U0001E900/b") << QString::fromUtf8("</a/(\U0001E900)/b>");
    }
    void leftToRight()
    {
        QFETCH(QString, text);
        QFETCH(QString, drawn);
        QString marks = drawn;
        if (marks != text) {
            marks.replace(u'<', QChar(0x2066)).replace(u'>', QChar(0x2069));
            marks.replace(u'(', QChar(0x2068)).replace(u')', QChar(0x2069));
        }
        QCOMPARE(LeftToRight(text), marks);
        QCOMPARE(StripIsolates(LeftToRight(text)), text);

        // The list draws it so; what is read out is the text itself.
        ListView list;
        list.setColumns({"a", "b", "c"});
        list.setSubItem(list.add(text), 1, text);
        const QAbstractItemModel& model = list.items();
        QCOMPARE(model.data(model.index(0, 1), Qt::DisplayRole).toString(), marks);
        QCOMPARE(model.data(model.index(0, 1), Qt::AccessibleTextRole).toString(), text);
        QCOMPARE(list.subItem(0, 1), text);

        // The text box too, and a copy of all of it is the text.
        TextBox box;
        box.setText(text);
        QCOMPARE(box.text(), text);
        box.selectAll();
        box.copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    }

    void warningMark()
    {
        ListView list;
        list.setColumns({"a", "b", "c"});
        list.add("plain");
        const int row = list.add("odd");
        list.addWarning(row, "first");
        list.addWarning(row, "second");
        const QAbstractItemModel& model = list.items();
        for (const int role : {int(Qt::ToolTipRole), int(Qt::AccessibleDescriptionRole)}) {
            QVERIFY(model.data(model.index(0, 1), role).isNull());
            QCOMPARE(model.data(model.index(1, 1), role).toString(), QString("first\nsecond"));
        }
        QVERIFY(model.data(model.index(0, 0), Qt::DecorationRole).isNull());
        QVERIFY(!model.data(model.index(1, 0), Qt::DecorationRole).value<QIcon>().isNull());
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
