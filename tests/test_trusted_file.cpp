#include "fakes/list_texts.h"
#include "platform/controls/list_view.h"
#include "platform/os/conf_codec.h"
#include "trusted/kvr_reader.h"
#include "trusted/kvr_text.h"
#include "trusted/trusted_file.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace zerva;
using namespace zerva::test;
using Result = TrustedFile::AddResult;
using Removal = TrustedFile::RemoveResult;

namespace {

const QByteArray kMissing("<missing>");
const QByteArray kDirectory("<directory>");

// kvr.conf in a folder of its own, holding `bytes` (or missing, or a folder).
struct Conf {
    QTemporaryDir dir;
    QString path = dir.filePath("kvr.conf");
    explicit Conf(const QByteArray& bytes)
    {
        if (bytes == kDirectory)
            QDir(dir.path()).mkdir("kvr.conf");
        else if (bytes != kMissing)
            write(path, bytes);
    }
    static void write(const QString& path, const QByteArray& bytes)
    {
        if (QFile f(path); !(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size()))
            qFatal("cannot write kvr.conf");
    }
    QByteArray bytes() const
    {
        QFile f(path);
        return QFileInfo(path).isDir() ? kDirectory : f.open(QIODevice::ReadOnly) ? f.readAll() : kMissing;
    }
    qsizetype files() const { return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(); }
};

// The text of a file's bytes as a reload reads them; none for a missing
// file, a folder, or no text.
QString Text(const QByteArray& bytes)
{
    QString text;
    return bytes == kMissing || bytes == kDirectory || !DecodeKvr(bytes, text) ? QString() : text;
}

QByteArray Utf16(const QString& text, bool littleEndian)
{
    QByteArray bytes = littleEndian ? QByteArray("\xff\xfe") : QByteArray("\xfe\xff");
    for (const QChar c : text) {
        const char lo = char(c.unicode() & 0xff);
        const char hi = char(c.unicode() >> 8);
        bytes.append(littleEndian ? lo : hi).append(littleEndian ? hi : lo);
    }
    return bytes;
}

} // namespace

class TestTrustedFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Start-up, then adds; the list mirrors the file after each.
    void adds_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<Result>("result");
        const auto row = [](const char* name, const QByteArray& before, const QStringList& answers,
                            const QByteArray& after, Result result = Result::Added) {
            QTest::newRow(name) << before << answers << after << result;
        };
        row("first add, lower-cased", "", {"C:\\Windows\\Explorer.exe"}, "c:\\windows\\explorer.exe\r\n");
        row("missing file is created", kMissing, {"a"}, "a\r\n");
        row("second add goes first; duplicates kept", "", {"a", "b", "a"}, "a\r\nb\r\na\r\n");
        // Every line but the new one keeps its bytes, its line end too.
        row("hand-made capitals kept", "C:\\X.EXE", {"y"}, "y\r\nC:\\X.EXE");
        row("blank line kept", "a\r\n\r\nb", {"n"}, "n\r\na\r\n\r\nb");
        row("comma over several adds", "", {"c:\\a,b\\x.exe", "y", "z"}, "z\r\ny\r\n\"c:\\a,b\\x.exe\"\r\n");
        row("outer blanks over several adds", "", {" c:\\x.exe\t", "y", "z"}, "z\r\ny\r\n\" c:\\x.exe\t\"\r\n");
        row("only blanks", "", {"   ", "y"}, "y\r\n\"   \"\r\n");
        row("leading quote", "", {"\"x", "y"}, "y\r\n\"\"x\"\r\n");
        row("hand-made quotes kept", "\"c:\\x y\\z.exe\"", {"n"}, "n\r\n\"c:\\x y\\z.exe\"");
        row("hand-made quote and comma kept", "\"a\"b,c\"\n", {"n"}, "n\r\n\"a\"b,c\"\n");
        row("fields sharing a line kept", " a,b\nc", {"n"}, "n\r\n a,b\nc");
        row("lone CR and LF kept", "a\rb\n", {"n"}, "n\r\na\rb\n");
        // A file in UTF-16 (Notepad's "Unicode") or with a UTF-8 byte order
        // mark keeps both; the new line comes after the mark.
        for (const bool le : {true, false}) {
            const QByteArray before = Utf16(QString::fromUtf8("c:\\\xc3\xa7.exe\r\nb"), le);
            const QByteArray after = Utf16(QString::fromUtf8("c:\\\xc5\x9f.exe\r\nc:\\\xc3\xa7.exe\r\nb"), le);
            row(le ? "UTF-16LE" : "UTF-16BE", before, {QString::fromUtf8("C:\\\xc5\x9e.EXE")}, after);
        }
        row("UTF-8 byte order mark", "\xef\xbb\xbf\xc3\xa7\r\n", {"n"}, "\xef\xbb\xbfn\r\n\xc3\xa7\r\n");
        row("NUL bytes: no text", QByteArray("a\0b\r\n", 5), {"n"}, QByteArray("a\0b\r\n", 5), Result::NotText);
        row("UTF-16 of an odd length", "\xff\xfe\x61", {"n"}, "\xff\xfe\x61", Result::NotText);
        // Refused whole rather than cut at 32767 characters.
        row("answer too long", "a\r\n", {QString(TrustedFile::kMaxEntryLength + 1, u'x')}, "a\r\n", Result::TooLong);
        row("answer as long as may be", "", {QString(TrustedFile::kMaxEntryLength, u'x')},
            QByteArray(TrustedFile::kMaxEntryLength, 'x') + "\r\n");
        const QByteArray old("\"c:\\x,y\"\r\n\r\nB\n");
        row("cancel", old, {""}, old, Result::Empty);
        row("cancel creates no file", kMissing, {""}, kMissing, Result::Empty);
        row("line break refused", old, {"c:\\a\r\n"}, old, Result::Refused);
        row("quote and comma refused", kMissing, {"c:\\a\",b"}, kMissing, Result::Refused);
        row("a directory", kDirectory, {"c:\\x.exe"}, kDirectory, Result::Unreadable);
    }
    void adds()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, answers);
        QFETCH(QByteArray, after);
        QFETCH(Result, result);
        Conf conf(before);
        ListView trList;
        TrustedFile(conf.path).reload(trList);
        for (const QString& answer : answers)
            QCOMPARE(TrustedFile(conf.path).add(answer, trList), result);
        QCOMPARE(conf.bytes(), after);
        QCOMPARE(ListTexts(trList), ReadKvr(Text(after)));
        QCOMPARE(conf.files(), after == kMissing ? 0 : 1);   // no temporary file left behind
    }

    // Entries listed from `before`, chosen by row and removed, the file
    // meanwhile edited to `edit` (unless null): they are found by their text
    // under the lock, not by row, and every other line keeps its bytes.
    void removes_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("edit");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<Removal>("result");
        const auto row = [](const char* name, const QByteArray& before, const QList<int>& rows,
                            const QByteArray& after, Removal result = Removal::Removed,
                            const QByteArray& edit = QByteArray()) {
            QTest::newRow(name) << before << edit << rows << after << result;
        };
        row("one of three", "a\r\nb\r\nc\r\n", {1}, "a\r\nc\r\n");
        row("several in one rewrite", "a\r\nb\r\nc\r\nd", {3, 0, 2}, "b\r\n");
        row("other lines byte for byte", "\xef\xbb\xbf  \"/opt/x y\"  \r\n/home/ay\xfe" "e\n/opt/gone\r/opt/z\t\n\r",
            {2}, "\xef\xbb\xbf  \"/opt/x y\"  \r\n/home/ay\xfe" "e\n/opt/z\t\n\r");
        row("a windows-1254 line removed", "/opt/a\r\n/home/ay\xfe" "e\r\n", {1}, "/opt/a\r\n");
        row("a duplicate: the chosen line only", "x\r\ny\r\nx\r\n", {2}, "x\r\ny\r\n");
        row("a duplicate: the first", "x\r\ny\r\nx\r\n", {0}, "y\r\nx\r\n");
        row("fields sharing a line", "a, b ,\"c,d\"\r\ne\r\n", {1}, "a\r\n\"c,d\"\r\ne\r\n");
        row("UTF-16LE stays UTF-16LE", QByteArray("\xff\xfe" "a\0\r\0\n\0b\0,\0c\0\r\0\n\0", 18), {1},
            QByteArray("\xff\xfe" "a\0\r\0\n\0c\0\r\0\n\0", 14));
        row("UTF-16BE stays UTF-16BE", QByteArray("\xfe\xff" "\0a\0\r\0\n\0b\0\r\0\n", 14), {0},
            QByteArray("\xfe\xff" "\0b\0\r\0\n", 8));
        row("last field of an unended line", "a\nb,c", {1}, "a\nc\r\n");
        row("blank line", "a\r\n\r\nb", {1}, "a\r\nb");
        row("byte order mark stays", "\xef\xbb\xbf" "a\r\n", {0}, "\xef\xbb\xbf");
        row("edited since: found by text", "a\r\nb\r\nc\r\n", {1}, "n\r\na\r\nc\r\n", Removal::Removed,
            "n\r\na\r\nc\r\nb\r\n");
        row("edited since: fewer copies", "x\r\nx\r\ny\r\n", {1}, "y\r\n", Removal::Removed, "y\r\nx\r\n");
        row("edited since: gone", "a\r\nb\r\n", {1}, "a\r\n", Removal::Gone, "a\r\n");
        row("nothing chosen", "a\r\n", {}, "a\r\n", Removal::Empty);
        row("a directory", kDirectory, {0}, kDirectory, Removal::Unreadable);
    }
    void removes()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, edit);
        QFETCH(QList<int>, rows);
        QFETCH(QByteArray, after);
        QFETCH(Removal, result);
        // Where the system's code page reads a byte order mark as text (Windows),
        // it is part of the first entry and goes with it.
        if (QTest::currentDataTag() == QByteArray("byte order mark stays") && !DecodeConfText(after).isEmpty())
            after.clear();
        Conf conf(before);
        ListView trList;
        TrustedFile(conf.path).reload(trList);
        const QStringList listed = before == kDirectory ? QStringList{"x"} : ListTexts(trList);
        if (!edit.isNull())
            Conf::write(conf.path, edit);
        QCOMPARE(TrustedFile(conf.path).remove(listed, rows, trList), result);
        QCOMPARE(conf.bytes(), after);
        QCOMPARE(conf.files(), 1);   // no temporary file left behind
        QString text;
        if (after != kDirectory && DecodeKvr(after, text))
            QCOMPARE(ListTexts(trList), ReadKvr(text));
    }

    // An existing file typed with capitals is kept as typed where lower case
    // names another file; elsewhere, and for a path with nothing there, the
    // entry is lower-cased as always.
    void addKeepsTheTypedFile_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::newRow("existing file") << true;
        QTest::newRow("nothing there") << false;
    }
    void addKeepsTheTypedFile()
    {
        QFETCH(bool, exists);
        Conf conf(kMissing);
        const QString typed = conf.dir.filePath("Tool.EXE");
        if (QFile f(typed); exists && !f.open(QIODevice::WriteOnly))
            QFAIL("cannot create the program file");
        const QString lower = typed.toLower();
        const bool sameFile = exists && QFileInfo::exists(lower);   // letter case ignored here
        ListView trList;
        QCOMPARE(TrustedFile(conf.path).add(typed, trList), Result::Added);
        QCOMPARE(ListTexts(trList), QStringList{exists && !sameFile ? typed : lower});
    }

    // Start-up goes on and lists only what was read; a file that could not be
    // read in full is never rewritten.
    void hostile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("items");
        QTest::addColumn<Result>("add");
        QTest::newRow("missing") << kMissing << 0 << Result::Added;
        QTest::newRow("full of NUL bytes") << QByteArray(1 << 20, '\0') << 0 << Result::NotText;
        QTest::newRow("a 1 MB line, quote never closed") << "\"" + QByteArray(1 << 20, ',') + "\nb" << 2 << Result::Added;
        QTest::newRow("50 MB") << QByteArray(998, 'p').append("\r\n").repeated(50'000) << 50'000 << Result::Added;
        QTest::newRow("more entries than are read")
            << QByteArray("\n").repeated(int(TrustedFile::kMaxEntries) + 5) << int(TrustedFile::kMaxEntries) << Result::Full;
        QTest::newRow("too large to read") << QByteArray(int(TrustedFile::kMaxBytes) + 1, 'x') << 0 << Result::TooLarge;
        // Never written beyond what the next reload reads.
        QTest::newRow("an add would pass the read limit")
            << QByteArray(int(TrustedFile::kMaxBytes) - 7, 'x').append("\r\n") << 1 << Result::TooLarge;
    }
    void hostile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, items);
        QFETCH(Result, add);
        Conf conf(bytes);
        const TrustedFile file(conf.path);
        ListView trList;
        trList.add("stale");
        file.createIfMissing();
        file.reload(trList);
        QCOMPARE(trList.count(), items);
        QCOMPARE(conf.bytes(), bytes == kMissing ? QByteArray() : bytes);
        QCOMPARE(file.add("c:\\new.exe", trList), add);
        if (add != Result::Added) {
            QCOMPARE(conf.bytes(), bytes);
            return;
        }
        QCOMPARE(trList.count(), items + 1);
        QCOMPARE(ReadKvr(Text(conf.bytes())).mid(1), ReadKvr(Text(bytes)));
    }

    // An add whose file would pass a limit of the reader is refused, the
    // file untouched; up to the limit it is taken.
    void limits_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<int>("maxEntries");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<Result>("result");
        const QByteArray old = QByteArray(90, 'x') + "\r\n";   // 92 bytes
        QTest::newRow("just under the byte limit") << old << 100 << 10 << "abcde" << Result::Added;
        QTest::newRow("at the byte limit") << old << 100 << 10 << "abcdef" << Result::Added;
        QTest::newRow("one byte over") << old << 100 << 10 << "abcdefg" << Result::TooLarge;
        QTest::newRow("old file over the byte limit") << old << 91 << 10 << "a" << Result::TooLarge;
        QTest::newRow("up to the entry limit") << QByteArray("a\r\nb\r\n") << 100 << 3 << "c" << Result::Added;
        QTest::newRow("past the entry limit") << QByteArray("a\r\nb,c\r\n") << 100 << 3 << "d" << Result::Full;
    }
    void limits()
    {
        QFETCH(QByteArray, before);
        QFETCH(int, maxBytes);
        QFETCH(int, maxEntries);
        QFETCH(QString, answer);
        QFETCH(Result, result);
        Conf conf(before);
        const TrustedFile file(conf.path, TrustedFile::Limits{maxBytes, maxEntries});
        ListView trList;
        QCOMPARE(file.add(answer, trList), result);
        QCOMPARE(conf.bytes(), result == Result::Added ? answer.toLatin1() + "\r\n" + before : before);
        if (result == Result::Added)
            QCOMPARE(trList.count(), ReadKvr(Text(before)).size() + 1);
    }
};

QTEST_MAIN(TestTrustedFile)
#include "test_trusted_file.moc"
