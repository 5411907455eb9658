#include "platform/code_page_1254.h"

#include <QtTest>

using namespace zerva;

class TestCodePage1254 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bytes_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("unicode");
        QTest::newRow("NUL") << 0x00 << 0x0000;
        QTest::newRow("A") << 0x41 << 0x0041;
        QTest::newRow("DEL") << 0x7F << 0x007F;
        QTest::newRow("euro") << 0x80 << 0x20AC;
        QTest::newRow("undefined 81") << 0x81 << 0x0081;
        QTest::newRow("ellipsis") << 0x85 << 0x2026;
        QTest::newRow("S caron") << 0x8A << 0x0160;
        QTest::newRow("undefined 8E, not Z caron") << 0x8E << 0x008E;
        QTest::newRow("undefined 90") << 0x90 << 0x0090;
        QTest::newRow("right quote") << 0x92 << 0x2019;
        QTest::newRow("em dash") << 0x97 << 0x2014;
        QTest::newRow("undefined 9E") << 0x9E << 0x009E;
        QTest::newRow("Y diaeresis") << 0x9F << 0x0178;
        QTest::newRow("no-break space") << 0xA0 << 0x00A0;
        QTest::newRow("C cedilla") << 0xC7 << 0x00C7;
        QTest::newRow("G breve") << 0xD0 << 0x011E;
        QTest::newRow("O diaeresis") << 0xD6 << 0x00D6;
        QTest::newRow("U diaeresis") << 0xDC << 0x00DC;
        QTest::newRow("I dot") << 0xDD << 0x0130;
        QTest::newRow("S cedilla") << 0xDE << 0x015E;
        QTest::newRow("c cedilla") << 0xE7 << 0x00E7;
        QTest::newRow("g breve") << 0xF0 << 0x011F;
        QTest::newRow("o diaeresis") << 0xF6 << 0x00F6;
        QTest::newRow("dotless i") << 0xFD << 0x0131;
        QTest::newRow("s cedilla") << 0xFE << 0x015F;
        QTest::newRow("y diaeresis") << 0xFF << 0x00FF;
    }
    void bytes()
    {
        QFETCH(int, byte);
        QFETCH(int, unicode);
        const QString text = DecodeWindows1254(QByteArray(1, static_cast<char>(byte)));
        QCOMPARE(text.size(), 1);
        QCOMPARE(int(text[0].unicode()), unicode);
    }

    // One character per byte, each byte its own, none a replacement.
    void everyByteDistinct()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all += static_cast<char>(b);
        const QString text = DecodeWindows1254(all);
        QCOMPARE(text.size(), 256);
        QSet<char16_t> seen;
        for (const QChar c : text) {
            QVERIFY(c != QChar::ReplacementCharacter);
            seen.insert(c.unicode());
        }
        QCOMPARE(seen.size(), 256);
        QCOMPARE(text.count(u'?'), 1);
    }
};

QTEST_MAIN(TestCodePage1254)
#include "test_code_page_1254.moc"
