#include "process/details_block.h"

#include <QtTest>

using namespace zerva;

class TestDetailsBlock : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void kilobytes_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0") << qint64(0) << "0";
        QTest::newRow("0.499") << qint64(499) << "0";
        QTest::newRow("0.5 to even 0") << qint64(500) << "0";
        QTest::newRow("1.5 to even 2") << qint64(1500) << "2";
        QTest::newRow("2.5 to even 2") << qint64(2500) << "2";
        QTest::newRow("3.5 to even 4") << qint64(3500) << "4";
        QTest::newRow("2.501 up") << qint64(2501) << "3";
        QTest::newRow("divides by 1000, not 1024") << qint64(1024000) << "1024";
        QTest::newRow("large, no grouping") << qint64(123456789012) << "123456789";
    }
    void kilobytes()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, expected);
        QCOMPARE(KilobytesText(bytes), expected);
    }

    void fullBlock()
    {
        ProcessInfo p;
        p.caption = "bash";
        p.priority = 20;
        p.commandLine = "bash -l";
        p.pageFileUsage = 4096000;
        p.threadCount = 1;
        p.name = "bash";
        p.description = "bash";
        QCOMPARE(DetailsBlock(p),
                 QStringLiteral("Oncelik derecesi(dusuk < yuksek): 20\r\n"
                                "Komut satiri: bash -l\r\n"
                                "Hafiza kullanimi: 4096 KB\r\n"
                                "Thread sayisi: 1\r\n"
                                "Isim: bash\r\n"
                                "Baslik: bash\r\n"
                                "Aciklama: bash\r\n"));
    }

    void nullsKeepTheirLines()
    {
        const QString block = DetailsBlock(ProcessInfo{});
        QCOMPARE(block.count(QStringLiteral("\r\n")), 7);
        QVERIFY(block.endsWith(QStringLiteral("\r\n")));
        QVERIFY(block.startsWith(QStringLiteral("Oncelik derecesi(dusuk < yuksek): \r\n")));
        QVERIFY(block.contains(QStringLiteral("\r\nKomut satiri: \r\n")));
        // Null memory: label, then " KB" at once: two blanks before KB.
        QVERIFY(block.contains(QStringLiteral("\r\nHafiza kullanimi:  KB\r\n")));
    }
};

QTEST_APPLESS_MAIN(TestDetailsBlock)
#include "test_details_block.moc"
