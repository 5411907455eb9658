#include "platform/controls/list_view.h"
#include "platform/os/conf_codec.h"
#include "trusted/trusted_file.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace zerva;

class TestPosixConfCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-8") << QByteArray("\xc3\x87" "al\xc4\xb1\xc5\x9f") << QString::fromUtf8("Çalış");
        QTest::newRow("byte order mark skipped") << QByteArray("\xef\xbb\xbf" "a") << "a";
        QTest::newRow("NUL bytes are valid") << QByteArray("a\0\0", 3) << QString::fromLatin1("a\0\0", 3);
        QTest::newRow("windows-1254 letters")
            << QByteArray("\xc7\xd0\xdd\xd6\xde\xdc\xe7\xf0\xfd\xf6\xfe\xfc") << QString::fromUtf8("ÇĞİÖŞÜçğıöşü");
        QTest::newRow("windows-1254 signs") << QByteArray("\x80\x85\x8a\x92\x9f\xa0\xff")
                                            << QString::fromUtf8("€…Š’Ÿ\u00a0ÿ");
        QTest::newRow("undefined bytes kept") << QByteArray("\x81\x8d\x8e\x8f\x90\x9d\x9e")
                                              << QString::fromUtf8("\u0081\u008d\u008e\u008f\u0090\u009d\u009e");
        QTest::newRow("each line on its own")
            << QByteArray("\xc3\xa7" "al\xc4\xb1\xc5\x9f\r\n\xe7" "al\xfd\xfe\n/\xc3\xa7\r\xfd")
            << QString::fromUtf8("çalış\r\nçalış\n/ç\rı");
        QTest::newRow("byte order mark, then a 1254 line")
            << QByteArray("\xef\xbb\xbf/a\r\n\xfd") << QString::fromUtf8("/a\r\nı");
        QTest::newRow("byte order mark only at the start")
            << QByteArray("a\n\xef\xbb\xbf") << QString::fromUtf8("a\n\ufeff");
        QTest::newRow("one bad byte: the line in 1254") << QByteArray("\xc3\xa7\xfd") << QString::fromUtf8("Ã§ı");
        QTest::newRow("cut off at the end") << QByteArray("a\xc3") << QString::fromUtf8("aÃ");
        QTest::newRow("overlong") << QByteArray("\xc0\xaf") << QString::fromUtf8("À¯");
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << QString::fromUtf8("í\u00a0€");
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(DecodeConfText(bytes), text);
    }

    // Every byte its own character, so nothing read is ever lost on writing.
    void everyByteKept()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all += char(b);
        const QString text = DecodeConfText(all);
        QCOMPARE(QSet<QChar>(text.begin(), text.end()).size(), 256);
        bool ok = false;
        QCOMPARE(DecodeConfText(EncodeConfText(text, &ok)), text);
        QVERIFY(ok);
    }

    // An add writes every line back as the same text, now in UTF-8: a line
    // of Windows-1254 does not turn its UTF-8 neighbours into mojibake.
    void addKeepsEveryLine_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        // Each old line keeps its bytes, whichever encoding it is in.
        const QByteArray mixed("c:\\ay\xfe" "e\\\xe7" "al\xfd\xfe.exe\r\n/home/ay\xc5\x9f" "e/bin/\xc3\xa7" "al\xc4\xb1\xc5\x9f\r\n");
        QTest::newRow("Windows-1254 and UTF-8 lines") << mixed << "/opt/new\r\n" + mixed;
        QTest::newRow("byte order mark kept") << QByteArray("\xef\xbb\xbf/a\r\n\xfd\n")
                                              << QByteArray("\xef\xbb\xbf/opt/new\r\n/a\r\n\xfd\n");
    }
    void addKeepsEveryLine()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        QFile f(dir.filePath("kvr.conf"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(before) == before.size());
        f.close();
        ListView trList;
        QCOMPARE(TrustedFile(f.fileName()).add("/opt/new", trList), TrustedFile::AddResult::Added);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), after);
    }

    void lonelySurrogateRefused()
    {
        bool ok = true;
        EncodeConfText(QString(QChar(0xd800)), &ok);
        QVERIFY(!ok);
    }
};

QTEST_MAIN(TestPosixConfCodec)
#include "test_posix_conf_codec.moc"
