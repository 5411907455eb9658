#include "trusted/kvr_reader.h"
#include "trusted/kvr_writer.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace zerva;

class TestKvrReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("entries");
        const auto row = [](const char* name, const QString& text, const QStringList& entries) {
            QTest::newRow(name) << text << entries;
        };
        // Lines and line ends.
        row("empty file", "", {});
        row("no final line end", "a", {"a"});
        row("final CR LF makes no entry", "a\r\n", {"a"});
        row("two lines", "a\r\nb\r\n", {"a", "b"});
        row("only a line end", "\r\n", {""});
        row("blank line between", "a\r\n\r\nb\r\n", {"a", "", "b"});
        row("two final line ends", "a\r\n\r\n", {"a", ""});
        row("lone LF", "a\nb\n", {"a", "b"});
        row("lone CR", "a\rb\r", {"a", "b"});
        row("LF CR is two line ends", "a\n\rb", {"a", "", "b"});
        // Commas.
        row("comma splits a path", "c:\\a,b\\x.exe", {"c:\\a", "b\\x.exe"});
        row("fields sharing lines", "a,b,c\r\nd", {"a", "b", "c", "d"});
        row("final comma", "a,", {"a", ""});
        row("final comma then line end", "a,\r\n", {"a", ""});
        row("empty fields between commas", ",,", {"", "", ""});
        // Blanks and tabs.
        row("blanks before skipped", "   a,  b", {"a", "b"});
        row("tabs before skipped", "\t \ta", {"a"});
        row("blanks after dropped", "a  \t,b \r\n", {"a", "b"});
        row("blanks inside kept", "c:\\x y\\z.exe", {"c:\\x y\\z.exe"});
        row("tab inside kept", "a\tb", {"a\tb"});
        row("line of blanks is empty", "  \t\r\nb", {"", "b"});
        row("blanks alone at the end", "a\r\n  ", {"a", ""});
        // Quoted fields.
        row("quoted blanks", "\"c:\\x y\\z.exe\"", {"c:\\x y\\z.exe"});
        row("quoted comma", "\"a,b\",c", {"a,b", "c"});
        row("quoted keeps outer blanks", "\"  a \t\"", {"  a \t"});
        row("blanks before opening quote", "  \"a\"", {"a"});
        row("blanks after closing quote", "\"a\"  ,b", {"a", "b"});
        row("empty quoted", "\"\"\r\nb", {"", "b"});
        row("quote inside quoted", "\"a\"b\"", {"a\"b"});
        row("quote and comma inside quoted", "\"a\"b,c\"", {"a\"b,c"});
        row("quoted field begins with a quote", "\"\"x\"", {"\"x"});
        row("quoted field ends with a quote", "\"a,b\"\"", {"a,b\""});
        row("only a quote, quoted", "\"\"\"", {"\""});
        row("quote before a comma closes", "\"a\",b\"", {"a", "b\""});
        row("quote before blanks and comma closes", "\"a\" ,b", {"a", "b"});
        // Quotes elsewhere.
        row("quote inside unquoted", "c:\\a\"b", {"c:\\a\"b"});
        row("unquoted ends with a quote", "ab\"", {"ab\""});
        row("never closed runs to line end", "\"a,b\r\nc", {"a,b", "c"});
        row("never closed at end of text", "\"a b ", {"a b "});
        row("never closed with a quote inside", "\"a\"b,c\nd", {"a\"b,c", "d"});
        row("quoted field does not span lines", "\"a\r\nb\"", {"a", "b\""});
        row("a lone quote", "\"", {""});
        // Characters kept as they are.
        row("letter case kept", "C:\\TOOLS\\X.EXE", {"C:\\TOOLS\\X.EXE"});
        row("NUL kept", QString::fromLatin1("a\0b", 3), {QString::fromLatin1("a\0b", 3)});
        row("turkish letters", "c:\\\u00c7al\u0131\u015f\\x.exe", {"c:\\\u00c7al\u0131\u015f\\x.exe"});
    }
    void fields()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, entries);
        QCOMPARE(ReadKvr(text), entries);
    }

    // Whatever a file holds, what is read from it can be written so that it
    // reads back the same: an add never alters or splits an old entry.
    void everythingReadCanBeWrittenBack()
    {
        const QString alphabet = QStringLiteral("a,\" \t\r\n");
        QRandomGenerator random(20261207);
        for (int round = 0; round < 20000; ++round) {
            QString text;
            const int length = random.bounded(14);
            for (int i = 0; i < length; ++i)
                text += alphabet[random.bounded(alphabet.size())];
            const QStringList entries = ReadKvr(text);
            const std::optional<QString> written = FormatKvr(entries);
            QVERIFY2(written, qPrintable(text));
            QVERIFY2(ReadKvr(*written) == entries, qPrintable(text + QStringLiteral(" -> ") + *written));
        }
    }

    void longLineNeverClosed()
    {
        const QString longLine = QString(u'"') + QString(1'000'000, u'x') + QStringLiteral("\r\ny");
        QCOMPARE(ReadKvr(longLine), (QStringList{QString(1'000'000, u'x'), "y"}));
    }
};

QTEST_MAIN(TestKvrReader)
#include "test_kvr_reader.moc"
