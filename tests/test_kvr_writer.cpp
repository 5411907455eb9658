#include "trusted/kvr_reader.h"
#include "trusted/kvr_writer.h"

#include <QtTest>

using namespace zerva;

class TestKvrWriter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lines_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("line");
        QTest::newRow("plain") << "c:\\windows\\explorer.exe" << "c:\\windows\\explorer.exe";
        QTest::newRow("blank inside") << "c:\\x y\\z.exe" << "c:\\x y\\z.exe";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("comma") << "c:\\a,b\\x.exe" << "\"c:\\a,b\\x.exe\"";
        QTest::newRow("leading blank") << " c:\\x.exe" << "\" c:\\x.exe\"";
        QTest::newRow("trailing blank") << "c:\\x.exe " << "\"c:\\x.exe \"";
        QTest::newRow("leading tab") << "\tx" << "\"\tx\"";
        QTest::newRow("only blanks") << "   " << "\"   \"";
        QTest::newRow("leading quote") << "\"x" << "\"\"x\"";
        QTest::newRow("only a quote") << "\"" << "\"\"\"";
        QTest::newRow("quote inside") << "c:\\a\"b.exe" << "c:\\a\"b.exe";
        QTest::newRow("trailing quote") << "x\"" << "x\"";
        QTest::newRow("quote and blank at the end") << "x\" " << "\"x\" \"";
        QTest::newRow("quote then comma later") << "a\"b,c" << "\"a\"b,c\"";
        QTest::newRow("comma then a final quote") << "a,b\"" << "\"a,b\"\"";
        QTest::newRow("NUL") << QString::fromLatin1("a\0b", 3) << QString::fromLatin1("a\0b", 3);
    }
    void lines()
    {
        QFETCH(QString, entry);
        QFETCH(QString, line);
        QVERIFY(KvrCanHold(entry));
        QCOMPARE(FormatKvrEntry(entry), std::optional<QString>(line));
        QCOMPARE(ReadKvr(line + QStringLiteral("\r\n")), QStringList{entry});
    }

    void unholdable_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("LF") << "a\nb";
        QTest::newRow("CR") << "a\rb";
        QTest::newRow("CR LF at the end") << "a\r\n";
        QTest::newRow("quote before a comma") << "a\",b";
        QTest::newRow("quote, blank, comma") << "a\" \t,b";
    }
    void unholdable()
    {
        QFETCH(QString, entry);
        QVERIFY(!KvrCanHold(entry));
        QVERIFY(!FormatKvrEntry(entry));
        QVERIFY(!FormatKvr({"ok", entry}));
        QVERIFY(!KvrAcceptsNewEntry(entry));
    }

    void newEntries_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("path") << "c:\\windows\\explorer.exe" << true;
        QTest::newRow("comma") << "c:\\a,b\\x.exe" << true;
        QTest::newRow("quote") << "c:\\a\"b.exe" << true;
        QTest::newRow("only blanks") << "  " << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("line end") << "a\nb" << false;
        QTest::newRow("quote and comma, holdable or not") << "a\"b,c" << false;
        QTest::newRow("comma then quote") << "a,b\"" << false;
    }
    void newEntries()
    {
        QFETCH(QString, entry);
        QFETCH(bool, accepted);
        QCOMPARE(KvrAcceptsNewEntry(entry), accepted);
    }

    void fileText()
    {
        QCOMPARE(FormatKvr({}), std::optional<QString>(QString()));
        QCOMPARE(FormatKvr({""}), std::optional<QString>("\r\n"));
        const QStringList entries{"c:\\new.exe", "C:\\Old,One.exe", "", " x"};
        const std::optional<QString> text = FormatKvr(entries);
        QCOMPARE(text, std::optional<QString>("c:\\new.exe\r\n\"C:\\Old,One.exe\"\r\n\r\n\" x\"\r\n"));
        QCOMPARE(ReadKvr(*text), entries);
    }
};

QTEST_MAIN(TestKvrWriter)
#include "test_kvr_writer.moc"
