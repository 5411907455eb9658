#include "trusted/kvr_reader.h"
#include "trusted/kvr_text.h"
#include "trusted/kvr_writer.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace zerva;

class TestKvrFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void read_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("entries");
        const auto row = [](const char* name, const QString& text, const QStringList& entries) {
            QTest::newRow(name) << text << entries;
        };
        row("empty file", "", {});
        row("final line end makes no entry", "a\r\nb\r\n", {"a", "b"});
        row("no final line end", "a\r\nb", {"a", "b"});
        row("blank line", "a\r\n\r\nb", {"a", "", "b"});
        row("only a line end", "\r\n", {""});
        row("lone LF and lone CR", "a\nb\rc", {"a", "b", "c"});
        row("LF CR is two line ends", "a\n\rb", {"a", "", "b"});
        row("comma splits", "c:\\a,b\\x.exe", {"c:\\a", "b\\x.exe"});
        row("final comma", "a,", {"a", ""});
        row("blanks and tabs around dropped", " \ta \t,  b ", {"a", "b"});
        row("blanks inside kept", "c:\\x y\\z.exe", {"c:\\x y\\z.exe"});
        row("line of blanks", "  \t\r\nb", {"", "b"});
        row("quoted", "  \"c:\\x y\\z.exe\"  ", {"c:\\x y\\z.exe"});
        row("quoted comma", "\"a,b\",c", {"a,b", "c"});
        row("quoted outer blanks kept", "\" a\t\"", {" a\t"});
        row("quote inside quoted", "\"a\"b,c\"", {"a\"b,c"});
        row("quoted begins with a quote", "\"\"x\"", {"\"x"});
        row("quote before a comma closes", "\"a\" ,b\"", {"a", "b\""});
        row("quote inside unquoted", "c:\\a\"b", {"c:\\a\"b"});
        row("never closed: rest of the line", "\"a,b \r\nc", {"a,b ", "c"});
        row("quotes never span lines", "\"a\r\nb\"", {"a", "b\""});
        row("case and NUL kept", QString::fromLatin1("C:\\X\0", 5), {QString::fromLatin1("C:\\X\0", 5)});
    }
    void read()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, entries);
        QCOMPARE(ReadKvr(text), entries);
    }

    // line: what is written, null when no line can hold the entry.
    void write_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain") << "c:\\x y.exe" << "c:\\x y.exe" << true;
        QTest::newRow("comma") << "c:\\a,b.exe" << "\"c:\\a,b.exe\"" << true;
        QTest::newRow("leading blank") << " x" << "\" x\"" << true;
        QTest::newRow("trailing tab") << "x\t" << "\"x\t\"" << true;
        QTest::newRow("only blanks") << "  " << "\"  \"" << true;
        QTest::newRow("leading quote") << "\"x" << "\"\"x\"" << true;
        QTest::newRow("quote inside") << "a\"b" << "a\"b" << true;
        QTest::newRow("leading byte order mark") << QString(QChar(0xFEFF)) + "x" << "\"" + QString(QChar(0xFEFF)) + "x\"" << true;
        QTest::newRow("quote, later a comma") << "a\"b,c" << "\"a\"b,c\"" << false;
        QTest::newRow("quote before a comma") << "a\" ,b" << QString() << false;
        QTest::newRow("line end") << "a\nb" << QString() << false;
        QTest::newRow("CR") << "a\rb" << QString() << false;
    }
    void write()
    {
        QFETCH(QString, entry);
        QFETCH(QString, line);
        QFETCH(bool, accepted);
        QCOMPARE(KvrAcceptsNewEntry(entry), accepted);
        QCOMPARE(KvrCanHold(entry), !line.isNull());
        if (line.isNull()) {
            QVERIFY(!FormatKvr({"ok", entry}));
            return;
        }
        QCOMPARE(FormatKvr({entry, ""}), std::optional<QString>(line + "\r\n\r\n"));
        QCOMPARE(ReadKvr(line), QStringList{entry});
    }

    // Whatever a file holds, what is read from it is written back so that it
    // reads the same: an add never alters or splits an old entry.
    void everythingReadIsWrittenBack()
    {
        const QString alphabet = QStringLiteral("a,\" \t\r\n");
        QRandomGenerator random(20261207);
        for (int round = 0; round < 20000; ++round) {
            QString text;
            for (int i = random.bounded(14); i > 0; --i)
                text += alphabet[random.bounded(alphabet.size())];
            const QStringList entries = ReadKvr(text);
            const std::optional<QString> written = FormatKvr(entries);
            QVERIFY2(written && ReadKvr(*written) == entries, qPrintable(text));
        }
    }

    // A change is written only when every line read is still there, byte
    // for byte and in order, but those it took out. `edits`: "+N entry"
    // puts a line before line N, "-N" takes line N out; `from` is what the
    // changed text was made from (the read itself unless it differs).
    void keepsLines_data()
    {
        QTest::addColumn<QByteArray>("read");
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<bool>("kept");
        const QByteArray abc("a\r\nb\nc");
        QTest::newRow("add at the top") << abc << abc << QStringList{"+0 x"} << true;
        QTest::newRow("add of a line already there") << abc << abc << QStringList{"+0 a"} << true;
        QTest::newRow("removal") << abc << abc << QStringList{"-1"} << true;
        QTest::newRow("removal of the last line") << abc << abc << QStringList{"-2"} << true;
        QTest::newRow("removal from a shared line")
            << QByteArray("a,b\r\nc\r\n") << QByteArray("a,b\r\nc\r\n") << QStringList{"-0", "+0 b"} << true;
        QTest::newRow("duplicate lines, one taken out")
            << QByteArray("a\r\na\r\na\r\n") << QByteArray("a\r\na\r\na\r\n") << QStringList{"-1"} << true;
        QTest::newRow("nothing changed") << abc << abc << QStringList{} << true;
        QTest::newRow("built on a file caught empty") << abc << QByteArray() << QStringList{"+0 x"} << false;
        QTest::newRow("built on half a file") << abc << QByteArray("a\r\nb") << QStringList{"+0 x"} << false;
        QTest::newRow("a line end changed") << abc << QByteArray("a\nb\nc") << QStringList{"+0 x"} << false;
        QTest::newRow("lines in another order") << abc << QByteArray("b\na\r\nc") << QStringList{"+0 x"} << false;
        QTest::newRow("byte order mark lost")
            << QByteArray("\xef\xbb\xbf" "a\r\n") << QByteArray("a\r\n") << QStringList{"+0 x"} << false;
        QTest::newRow("the last line given a line end") << abc << abc << QStringList{"+3 x"} << false;
        QTest::newRow("more taken out than asked: one copy of two")
            << QByteArray("a\r\na\r\n") << QByteArray("a\r\n") << QStringList{} << false;
    }
    void keepsLines()
    {
        QFETCH(QByteArray, read);
        QFETCH(QByteArray, from);
        QFETCH(QStringList, edits);
        QFETCH(bool, kept);
        KvrText before;
        QVERIFY(before.parse(read));
        KvrText text;
        QVERIFY(text.parse(from));
        for (const QString& edit : edits) {
            const qsizetype at = edit.mid(1).section(u' ', 0, 0).toLongLong();
            if (edit.startsWith(u'+'))
                QVERIFY(text.insertEntry(at, edit.section(u' ', 1)));
            else
                text.removeLine(at);
        }
        QCOMPARE(text.keepsLinesOf(before), kept);
    }
};

QTEST_MAIN(TestKvrFormat)
#include "test_kvr_format.moc"
