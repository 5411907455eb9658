#include "platform/controls/left_to_right.h"
#include "platform/controls/list_view.h"
#include "platform/controls/text_box.h"
#include "platform/controls/trap.h"

#include <QClipboard>
#include <QScrollBar>
#include <QtTest>

using namespace zerva;

namespace {

// A sub-item 2 made when read, named by the test.
class NamedText : public DeferredText {
public:
    explicit NamedText(QString name) : m_name(std::move(name)) {}
    QString text() const override { return QStringLiteral("made ") + m_name; }

private:
    QString m_name;
};

// Rows as "key/started text path [t:tag] [tp] [d:name] [w:warning]", filled
// as a refresh fills them: "tp" gives the row its path as tag, "d:" a made
// sub-item 2, the same object for the same name in every fill.
void fill(ListView& list, const QStringList& rows)
{
    static std::map<QString, std::shared_ptr<const DeferredText>> made;
    ListFill filling(list);
    list.clear();
    for (const QString& r : rows) {
        const QStringList parts = r.split(' ');
        const QStringList key = parts[0].split('/');
        const int i = list.add(parts[1]);
        list.setKey(i, key[0].toLongLong());
        list.setStarted(i, key[1].toLongLong());
        list.setSubItem(i, 1, parts.value(2));
        for (const QString& extra : parts.mid(3)) {
            if (extra.startsWith(QLatin1String("t:")))
                list.setTag(i, extra.mid(2));
            else if (extra == QLatin1String("tp"))
                list.setTag(i, list.items().row(i).sub1);
            else if (extra.startsWith(QLatin1String("d:")))
                list.setSubItem(i, 2, made.try_emplace(extra, std::make_shared<NamedText>(extra.mid(2))).first->second);
            else if (extra.startsWith(QLatin1String("w:")))
                list.addWarning(i, extra.mid(2));
        }
    }
}

// "text [t:tag] [w:warning]" of each row, as the views read them.
QStringList shown(const ListView& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i) {
        QString r = list.text(i);
        if (!list.tag(i).isEmpty())
            r += QStringLiteral(" t:") + list.tag(i);
        const QString tip = list.model()->index(i, 1).data(Qt::ToolTipRole).toString();
        if (!tip.isEmpty())
            r += QStringLiteral(" w:") + tip;
        out << r;
    }
    return out;
}

QStringList texts(const ListView& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.text(i);
    return out;
}

} // namespace

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

    // A fill hands the views what changed, so a list keeps its selection
    // and scroll position, and only rows without a key of their own (or
    // with the same one) cost a reset.
    void fillShowsOnlyChanges_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("sortColumn");   // -1: the order of the fill
        QTest::addColumn<QString>("select");     // text of the row selected before
        QTest::addColumn<QString>("selected");   // and after
        QTest::addColumn<QString>("expected");   // texts after, in order
        QTest::addColumn<bool>("reset");
        QTest::addColumn<QString>("changed");    // rows the views were told changed
        const QStringList abc{"1/5 a x", "2/5 b x", "3/5 c x"};
        QTest::newRow("same rows") << abc << abc << -1 << "b" << "b" << "a b c" << false << "";
        QTest::newRow("a text changed") << abc << QStringList{"1/5 a x", "2/5 b y", "3/5 c x"} << -1 << "b" << "b"
                                        << "a b c" << false << "b";
        QTest::newRow("a tag changed") << QStringList{"1/5 a x t:A", "2/5 b x t:B"}
                                       << QStringList{"1/5 a x t:A", "2/5 b x t:Z"} << -1 << "b" << "b"
                                       << "a t:A b t:Z" << false << "b";
        QTest::newRow("a warning added") << abc << QStringList{"1/5 a x", "2/5 b x w:look", "3/5 c x"} << -1 << "b"
                                         << "b" << "a b w:look c" << false << "b";
        QTest::newRow("a warning gone") << QStringList{"1/5 a x w:look", "2/5 b x"} << QStringList{"1/5 a x", "2/5 b x"}
                                        << -1 << "b" << "b" << "a b" << false << "a";
        QTest::newRow("a row gone") << abc << QStringList{"1/5 a x", "3/5 c x"} << -1 << "c" << "c" << "a c" << false
                                    << "";
        QTest::newRow("a row added between") << QStringList{"1/5 a x", "3/5 c x"} << abc << -1 << "c" << "c" << "a b c"
                                             << false << "";
        // A selected row that goes leaves the selection to a neighbour, as
        // in any single-selection view; a refresh then selects what the
        // list on show has selected.
        QTest::newRow("all replaced") << abc << QStringList{"7/5 q x", "8/5 r x"} << -1 << "b" << "0" << "q r"
                                      << false << "";
        // The same id, started anew: another process, whose row is not
        // the old one's.
        QTest::newRow("id taken by a new process") << abc << QStringList{"1/5 a x", "2/6 b x", "3/5 c x"} << -1
                                                   << "b" << "c" << "a b c" << false << "";
        QTest::newRow("sorted: a changed text moves its row")
            << abc << QStringList{"1/5 a x", "2/5 z x", "3/5 c x"} << 0 << "b" << "z" << "a c z" << false << "z";
        QTest::newRow("sorted: a row added") << abc << QStringList{"1/5 a x", "2/5 b x", "3/5 c x", "4/5 B x"} << 0
                                             << "c" << "c" << "a b B c" << false << "";
        QTest::newRow("its path as tag") << abc << QStringList{"1/5 a x tp", "2/5 b y tp", "3/5 c x"} << -1 << "b"
                                         << "b" << "a t:x b t:y c" << false << "a b";
        QTest::newRow("a made text kept") << QStringList{"1/5 a x d:1", "2/5 b x d:2"}
                                          << QStringList{"1/5 a x d:1", "2/5 b x d:2"} << -1 << "b" << "b" << "a b"
                                          << false << "";
        QTest::newRow("a made text replaced") << QStringList{"1/5 a x d:1", "2/5 b x d:2"}
                                              << QStringList{"1/5 a x d:1", "2/5 b x d:3"} << -1 << "b" << "b"
                                              << "a b" << false << "b";
        QTest::newRow("shared keys reset") << abc << QStringList{"1/5 a x", "1/5 b x"} << -1 << "b" << "" << "a b"
                                           << true << "";
        // A list put away (dropTexts) between the fills: every row that
        // stays is told anew ("*N": N rows), the rest as ever.
        QTest::newRow("dropped: a row gone") << abc << QStringList{"1/5 a x", "3/5 c x"} << -1 << "c" << "c" << "a c"
                                             << false << "*302";
        QTest::newRow("dropped, sorted: a row added") << abc << QStringList{"1/5 a x", "2/5 b x", "3/5 c x", "4/5 B x"}
                                                      << 0 << "c" << "c" << "a b B c" << false << "*303";
    }
    void fillShowsOnlyChanges()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(int, sortColumn);
        QFETCH(QString, select);
        QFETCH(QString, selected);
        QFETCH(QString, expected);
        QFETCH(bool, reset);
        QFETCH(QString, changed);
        // Rows enough to scroll ahead of the ones that change.
        QStringList lead;
        for (int i = 0; i < 300; ++i)
            lead << QStringLiteral("%1/1 %2").arg(1000 + i).arg(sortColumn < 0 ? QStringLiteral("0") : QStringLiteral("!"));
        ListView list;
        list.setColumns({"Dosya", "Path", "Modules"});
        list.resize(200, 200);
        if (sortColumn >= 0)
            list.sortByColumn(sortColumn, Qt::AscendingOrder);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        fill(list, lead + before);
        const int pick = texts(list).indexOf(select);
        list.selectionModel()->setCurrentIndex(list.model()->index(pick, 0),
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        list.verticalScrollBar()->setValue(100);

        QSignalSpy resets(list.model(), &QAbstractItemModel::modelReset);
        QStringList told;
        connect(list.model(), &QAbstractItemModel::dataChanged, &list,
                [&](const QModelIndex& from, const QModelIndex& to) {
                    for (int i = from.row(); i <= to.row(); ++i)
                        told << list.text(i);
                });
        const bool dropped = changed.startsWith(u'*');
        if (dropped) {
            list.dropTexts();
            QCOMPARE(list.count(), 300 + before.size());
            QCOMPARE(list.model()->index(pick, 0).data(), QVariant());
        }
        fill(list, lead + after);
        QCOMPARE(shown(list).mid(300).join(' '), expected);
        QCOMPARE(resets.count(), reset ? 1 : 0);
        told.sort();
        if (dropped)
            QCOMPARE(told.size(), changed.mid(1).toInt());
        else
            QCOMPARE(told.join(' '), changed);
        QCOMPARE(list.selectedItem() ? list.text(*list.selectedItem()) : QString(), selected);
        if (!reset && selected == select)   // a moved selection scrolls to itself
            QCOMPARE(list.verticalScrollBar()->value(), 100);
        for (int i = 0; i < list.count(); ++i) {   // the views read what the items hold
            QCOMPARE(list.model()->index(i, 1).data().toString(), list.subItem(i, 1));
            QCOMPARE(list.model()->index(i, 2).data(Qt::AccessibleTextRole).toString(), list.subItem(i, 2));
        }
        for (const QString& r : after)
            if (const qsizetype d = r.indexOf(QLatin1String(" d:")); d >= 0)
                QCOMPARE(list.subItem(int(texts(list).indexOf(r.split(' ')[1])), 2), "made " + r.mid(d + 3));
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
