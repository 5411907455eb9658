#include "platform/list_view.h"
#include "trusted/kvr_reader.h"
#include "trusted/trusted_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace zerva;

namespace {

const QByteArray kMissing = QByteArrayLiteral("<missing>");
const QByteArray kDirectory = QByteArrayLiteral("<directory>");

QStringList Items(const ListView& list)
{
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items << list.text(i);
    return items;
}

// kvr.conf in a fresh folder, holding `bytes` (or missing, or a folder).
struct ConfDir {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("kvr.conf"));

    explicit ConfDir(const QByteArray& bytes)
    {
        if (bytes == kDirectory) {
            QDir(dir.path()).mkdir(QStringLiteral("kvr.conf"));
        } else if (bytes != kMissing) {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
                qFatal("cannot write %s", qPrintable(path));
        }
    }

    // The file's bytes, or what stands there instead.
    QByteArray bytes() const
    {
        const QFileInfo info(path);
        if (!info.exists())
            return kMissing;
        if (info.isDir())
            return kDirectory;
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArrayLiteral("<unreadable>");
    }

    QStringList names() const { return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }
};

} // namespace

class TestTrustedFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startUp_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("missing is created empty") << kMissing << QByteArray() << QStringList{};
        QTest::newRow("empty stays empty") << QByteArray() << QByteArray() << QStringList{};
        QTest::newRow("entries in file order") << QByteArray("b\r\na\r\n") << QByteArray("b\r\na\r\n")
                                               << QStringList{"b", "a"};
        QTest::newRow("capitals stay as typed") << QByteArray("C:\\TOOLS\\X.EXE") << QByteArray("C:\\TOOLS\\X.EXE")
                                                << QStringList{"C:\\TOOLS\\X.EXE"};
        QTest::newRow("hand-made quotes") << QByteArray("\"c:\\x y\\z.exe\"\n") << QByteArray("\"c:\\x y\\z.exe\"\n")
                                          << QStringList{"c:\\x y\\z.exe"};
        QTest::newRow("blank line kept") << QByteArray("a\r\n\r\nb") << QByteArray("a\r\n\r\nb")
                                         << QStringList{"a", "", "b"};
        QTest::newRow("a directory is left alone") << kDirectory << kDirectory << QStringList{};
    }
    void startUp()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, items);
        ConfDir conf(before);
        ListView trList;
        trList.add(QStringLiteral("stale"));
        const TrustedFile file(conf.path);
        file.createIfMissing();
        file.reload(trList);
        QCOMPARE(conf.bytes(), after);
        QCOMPARE(Items(trList), items);
    }

    void adds_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("items");
        const auto row = [](const char* name, const QByteArray& before, const QStringList& answers,
                            const QByteArray& after, const QStringList& items) {
            QTest::newRow(name) << before << answers << after << items;
        };
        row("first add, lower-cased", "", {"C:\\Windows\\Explorer.exe"}, "c:\\windows\\explorer.exe\r\n",
            {"c:\\windows\\explorer.exe"});
        row("missing file is created", kMissing, {"a"}, "a\r\n", {"a"});
        row("second add goes first", "", {"a", "b"}, "b\r\na\r\n", {"b", "a"});
        row("duplicates kept", "", {"a", "a"}, "a\r\na\r\n", {"a", "a"});
        row("hand-made capitals kept", "C:\\TOOLS\\X.EXE\r\n", {"y"}, "y\r\nC:\\TOOLS\\X.EXE\r\n",
            {"y", "C:\\TOOLS\\X.EXE"});
        row("blank line kept", "a\r\n\r\nb\r\n", {"n"}, "n\r\na\r\n\r\nb\r\n", {"n", "a", "", "b"});
        row("comma survives several adds", "", {"c:\\a,b\\x.exe", "y", "z"},
            "z\r\ny\r\n\"c:\\a,b\\x.exe\"\r\n", {"z", "y", "c:\\a,b\\x.exe"});
        row("leading blank survives", "", {" c:\\x.exe", "y", "z"}, "z\r\ny\r\n\" c:\\x.exe\"\r\n",
            {"z", "y", " c:\\x.exe"});
        row("trailing blank survives", "", {"c:\\x.exe ", "y"}, "y\r\n\"c:\\x.exe \"\r\n", {"y", "c:\\x.exe "});
        row("only blanks", "", {"   ", "y"}, "y\r\n\"   \"\r\n", {"y", "   "});
        row("leading quote survives", "", {"\"x", "y"}, "y\r\n\"\"x\"\r\n", {"y", "\"x"});
        row("quote inside", "", {"c:\\a\"b.exe", "y"}, "y\r\nc:\\a\"b.exe\r\n", {"y", "c:\\a\"b.exe"});
        row("answer kept as typed but lower case", "", {"  C:\\A B\\X.EXE\t"}, "\"  c:\\a b\\x.exe\t\"\r\n",
            {"  c:\\a b\\x.exe\t"});
        row("quotes dropped where not needed", "\"c:\\x y\\z.exe\"\r\n", {"n"}, "n\r\nc:\\x y\\z.exe\r\n",
            {"n", "c:\\x y\\z.exe"});
        row("quotes kept where needed", "\"c:\\a,b\"\r\n", {"n"}, "n\r\n\"c:\\a,b\"\r\n", {"n", "c:\\a,b"});
        row("hand-made quote and comma kept", "\"a\"b,c\"\r\n", {"n"}, "n\r\n\"a\"b,c\"\r\n", {"n", "a\"b,c"});
        row("fields sharing a line split", "a,b\r\n", {"n"}, "n\r\na\r\nb\r\n", {"n", "a", "b"});
        row("lone line ends become CR LF", "a\nb\rc", {"n"}, "n\r\na\r\nb\r\nc\r\n", {"n", "a", "b", "c"});
        row("blanks before a field dropped", "   a\r\n", {"n"}, "n\r\na\r\n", {"n", "a"});
    }
    void adds()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, answers);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, items);
        ConfDir conf(before);
        ListView trList;
        const TrustedFile file(conf.path);
        for (const QString& answer : answers)
            QCOMPARE(file.add(answer, trList), TrustedFile::AddResult::Added);
        QCOMPARE(conf.bytes(), after);
        QCOMPARE(Items(trList), items);
        // No temporary file is left beside it.
        QCOMPARE(conf.names(), QStringList{"kvr.conf"});
    }

    // Nothing is written, and the list stays as it was.
    void untouched_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<TrustedFile::AddResult>("result");
        const QByteArray old("\"c:\\x,y\"\r\n\r\nB\n");
        QTest::newRow("cancel") << old << "" << TrustedFile::AddResult::Empty;
        QTest::newRow("cancel opens no file") << kMissing << "" << TrustedFile::AddResult::Empty;
        QTest::newRow("LF") << old << "c:\\a\nb" << TrustedFile::AddResult::Refused;
        QTest::newRow("CR") << old << "c:\\a\rb" << TrustedFile::AddResult::Refused;
        QTest::newRow("CR LF") << old << "c:\\a\r\n" << TrustedFile::AddResult::Refused;
        QTest::newRow("quote and comma") << old << "c:\\a\",b" << TrustedFile::AddResult::Refused;
        QTest::newRow("refused creates no file") << kMissing << "a\nb" << TrustedFile::AddResult::Refused;
        QTest::newRow("a directory") << kDirectory << "c:\\x.exe" << TrustedFile::AddResult::Unreadable;
    }
    void untouched()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, answer);
        QFETCH(TrustedFile::AddResult, result);
        ConfDir conf(before);
        ListView trList;
        trList.add(QStringLiteral("as it was"));
        QCOMPARE(TrustedFile(conf.path).add(answer, trList), result);
        QCOMPARE(conf.bytes(), before);
        QCOMPARE(Items(trList), QStringList{"as it was"});
        QCOMPARE(conf.names().size(), before == kMissing ? 0 : 1);
    }

    // Start-up goes on and lists only what was read; an add never rewrites
    // a file it could not read in full.
    void hostile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("items");
        QTest::addColumn<TrustedFile::AddResult>("add");
        QTest::newRow("full of NUL bytes") << QByteArray(1 << 20, '\0') << 1 << TrustedFile::AddResult::Added;
        QTest::newRow("a single 1 MB line") << QByteArray(1 << 20, 'x') << 1 << TrustedFile::AddResult::Added;
        QTest::newRow("an unclosed quote on a long line")
            << QByteArray("\"") + QByteArray(1 << 20, ',') + "\r\nb" << 2 << TrustedFile::AddResult::Added;
        QTest::newRow("50 MB in 1000-byte lines")
            << QByteArray(998, 'p').append("\r\n").repeated(50'000) << 50'000 << TrustedFile::AddResult::Added;
        QTest::newRow("more entries than are read")
            << QByteArray("\n").repeated(int(TrustedFile::kMaxEntries) + 5) << int(TrustedFile::kMaxEntries)
            << TrustedFile::AddResult::Full;
        QTest::newRow("too large to read") << QByteArray(int(TrustedFile::kMaxBytes) + 1, 'x') << 0
                                           << TrustedFile::AddResult::Unreadable;
    }
    void hostile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, items);
        QFETCH(TrustedFile::AddResult, add);
        ConfDir conf(bytes);
        const TrustedFile file(conf.path);
        ListView trList;
        file.createIfMissing();
        file.reload(trList);
        QCOMPARE(trList.count(), items);
        QCOMPARE(file.add(QStringLiteral("c:\\new.exe"), trList), add);
        const QByteArray after = conf.bytes();
        if (add == TrustedFile::AddResult::Added) {
            QVERIFY(after.startsWith("c:\\new.exe\r\n"));
            QCOMPARE(trList.count(), items + 1);
            QCOMPARE(ReadKvr(QString::fromLatin1(after)).mid(1), ReadKvr(QString::fromLatin1(bytes)));
        } else {
            QVERIFY(after == bytes);
            QCOMPARE(trList.count(), items);
        }
    }

    // The list is cleared when the file is gone, so that it never keeps
    // entries that are no longer there.
    void reloadAfterTheFileIsGone()
    {
        ConfDir conf(QByteArray("a\r\n"));
        const TrustedFile file(conf.path);
        ListView trList;
        file.reload(trList);
        QCOMPARE(Items(trList), QStringList{"a"});
        QVERIFY(QFile::remove(conf.path));
        file.reload(trList);
        QCOMPARE(trList.count(), 0);
    }
};

QTEST_MAIN(TestTrustedFile)
#include "test_trusted_file.moc"
