#include "platform/conf_codec.h"

#include <QtTest>

using namespace zerva;

class TestPosixConfCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("ascii") << QByteArray("c:\\x.exe\r\n") << "c:\\x.exe\r\n";
        QTest::newRow("utf-8 turkish") << QByteArray("/opt/\xc3\x87" "al\xc4\xb1\xc5\x9f/x")
                                       << QString::fromUtf8("/opt/Çalış/x");
        QTest::newRow("byte order mark skipped") << QByteArray("\xef\xbb\xbf" "a\r\n") << "a\r\n";
        QTest::newRow("windows-1254 turkish") << QByteArray("C:\\PROGRAM FILES\\\xc7" "al\xfd\xfe\\\xd0\xdd\xde.exe")
                                              << QString::fromUtf8("C:\\PROGRAM FILES\\Çalış\\ĞİŞ.exe");
        QTest::newRow("one bad byte makes the whole file 1254")
            << QByteArray("\xc3\xa7\xfd") << QString::fromUtf8("Ã§ı");
        QTest::newRow("sequence cut off at the end") << QByteArray("ab\xc3") << QString::fromUtf8("abÃ");
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QString::fromUtf8("À¯");
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << QString::fromUtf8("í\u00a0€");
        QTest::newRow("NUL bytes") << QByteArray("a\0\0b", 4) << QString::fromLatin1("a\0\0b", 4);
        QTest::newRow("NUL and a bad byte") << QByteArray("\0\xfe", 2) << QString::fromUtf8(QByteArray("\0ş", 3));
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(DecodeConfText(bytes), text);
    }

    void encode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::newRow("ascii") << "c:\\x.exe\r\n" << QByteArray("c:\\x.exe\r\n") << true;
        QTest::newRow("turkish") << QString::fromUtf8("ğış") << QByteArray("\xc4\x9f\xc4\xb1\xc5\x9f") << true;
        QTest::newRow("undefined 1254 byte read back") << QString(QChar(0x81)) << QByteArray("\xc2\x81") << true;
        QTest::newRow("NUL") << QString::fromLatin1("a\0b", 3) << QByteArray("a\0b", 3) << true;
        QTest::newRow("lone surrogate") << QString(QChar(0xd800)) << QByteArray() << false;
    }
    void encode()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        bool encoded = !ok;
        const QByteArray out = EncodeConfText(text, &encoded);
        QCOMPARE(encoded, ok);
        if (ok) {
            QCOMPARE(out, bytes);
            QCOMPARE(DecodeConfText(out), text);
        }
    }
};

QTEST_MAIN(TestPosixConfCodec)
#include "test_posix_conf_codec.moc"
