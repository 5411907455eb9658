#include "process/details_block.h"
#include "process/display_text.h"
#include "process/process_values.h"

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

    // The values a row keeps give the block its process gives, and tell
    // any change of any value, however the texts overlap.
    void keptValues_data()
    {
        QTest::addColumn<QStringList>("texts");   // path, command line, name, caption, description; "-": null
        QTest::newRow("all null") << QStringList{"-", "-", "-", "-", "-"};
        QTest::newRow("caption ends the path") << QStringList{"/usr/bin/sleep", "sleep 9", "sleep", "sleep", "sleep"};
        QTest::newRow("empty, not null") << QStringList{"", "", "", "", ""};
        QTest::newRow("unrelated") << QStringList{"/opt/a", "-", "kworker/0:1", "b", "c\x01"};
        QTest::newRow("caption longer than the path") << QStringList{"/x", "-", "-", "long caption", "/x"};
    }
    void keptValues()
    {
        QFETCH(QStringList, texts);
        const auto value = [&](int i) {
            return texts[i] == QLatin1String("-") ? std::nullopt : std::optional(texts[i].toStdString());
        };
        ProcessInfo p;
        p.executablePath = value(0);
        p.commandLine = value(1);
        p.name = value(2);
        p.caption = value(3);
        p.description = value(4);
        p.priority = 20;
        p.pageFileUsage = 4096000;
        const ProcessValues kept(p);
        QCOMPARE(kept.text(), DetailsBlock(p));
        QVERIFY(kept.sameAs(p));
        QCOMPARE(kept.caption(), p.caption ? std::optional<std::string_view>(*p.caption) : std::nullopt);
        QCOMPARE(kept.executablePath(), p.executablePath ? std::optional<std::string_view>(*p.executablePath) : std::nullopt);
        std::optional<std::string>* fields[] = {&p.executablePath, &p.commandLine, &p.name, &p.caption, &p.description};
        for (std::optional<std::string>* f : fields) {
            const std::optional<std::string> was = *f;
            if (was)
                f->reset();
            else
                f->emplace();
            QVERIFY(!kept.sameAs(p));
            if (was) {
                f->emplace(*was + "x");
                QVERIFY(!kept.sameAs(p));
            }
            *f = was;
        }
        std::optional<std::int64_t>* numbers[] = {&p.priority, &p.pageFileUsage, &p.threadCount};
        for (std::optional<std::int64_t>* n : numbers) {
            const std::optional<std::int64_t> was = *n;
            *n = was ? std::optional<std::int64_t>(*was + 1) : std::optional<std::int64_t>(0);
            QVERIFY(!kept.sameAs(p));
            *n = was;
        }
        QVERIFY(kept.sameAs(p));
    }

    void wholeCommandLine_data()
    {
        QTest::addColumn<QByteArray>("whole");   // "-": none
        QTest::addColumn<QString>("shown");
        QTest::newRow("read") << QByteArray("tool --all\nof it") << "tool --all\\nof it";
        QTest::newRow("gone: the head") << QByteArray("-") << "tool --a...";
    }
    void wholeCommandLine()
    {
        QFETCH(QByteArray, whole);
        QFETCH(QString, shown);
        ProcessInfo p;
        p.commandLine = "tool --a...";
        p.name = "tool";
        const std::optional<std::string> read =
            whole == "-" ? std::nullopt : std::optional<std::string>(whole.toStdString());
        p.commandLine = read.value_or(*p.commandLine);
        const QString expected = DetailsBlock(p);
        p.commandLine = "tool --a...";
        QCOMPARE(WithCommandLine(DetailsBlock(p), read), expected);
        QVERIFY(expected.contains(QLatin1String("Komut satiri: ") + shown + QLatin1String("\r\n")));
    }

    void displayText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << QByteArray("/usr/bin/bash -l") << "/usr/bin/bash -l";
        QTest::newRow("Turkish letters") << QByteArray("/opt/\xc3\xa7" "al\xc4\xb1\xc5\x9f") << QString::fromUtf8("/opt/çalış");
        QTest::newRow("outside the BMP") << QByteArray("\xf0\x9f\x98\x80") << QString::fromUtf8("\xf0\x9f\x98\x80");
        QTest::newRow("a forged line") << QByteArray("x\r\nHafiza kullanimi: 1 KB") << "x\\r\\nHafiza kullanimi: 1 KB";
        QTest::newRow("tab, other C0, DEL") << QByteArray("a\tb\x01\x1b\x7f") << "a\\tb\\x01\\x1B\\x7F";
        QTest::newRow("line and paragraph separators")
            << QByteArray("a\xe2\x80\xa8" "b\xe2\x80\xa9") << "a\\xE2\\x80\\xA8b\\xE2\\x80\\xA9";
        QTest::newRow("C1 next line") << QByteArray("\xc2\x85") << "\\xC2\\x85";
        QTest::newRow("right-to-left override") << QByteArray("a\xe2\x80\xae" "b") << "a\\xE2\\x80\\xAEb";
        // Bytes that are not UTF-8 each show as themselves, so two
        // different names never read alike.
        QTest::newRow("undecodable bytes") << QByteArray("a\xff\xfe" "b") << "a\\xFF\\xFEb";
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << "\\xC0\\xAF";
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << "\\xED\\xA0\\x80";
        QTest::newRow("sequence cut at the end") << QByteArray("cut \xc3") << "cut \\xC3";
        QTest::newRow("lead byte before ASCII") << QByteArray("\xe2(x") << "\\xE2(x";
        // Look-alikes of "sleep": each draws nothing or a blank.
        const struct {
            const char* name;
            const char* utf8;
            const char* escaped;
        } lookAlikes[] = {
            {"no-break space", "\xc2\xa0", "\\xC2\\xA0"},
            {"ideographic space", "\xe3\x80\x80", "\\xE3\\x80\\x80"},
            {"en quad", "\xe2\x80\x80", "\\xE2\\x80\\x80"},
            {"zero width space", "\xe2\x80\x8b", "\\xE2\\x80\\x8B"},
            {"zero width joiner", "\xe2\x80\x8d", "\\xE2\\x80\\x8D"},
            {"combining grapheme joiner", "\xcd\x8f", "\\xCD\\x8F"},
            {"variation selector 16", "\xef\xb8\x8f", "\\xEF\\xB8\\x8F"},
            {"variation selector 17", "\xf3\xa0\x84\x80", "\\xF3\\xA0\\x84\\x80"},
            {"Hangul filler", "\xe3\x85\xa4", "\\xE3\\x85\\xA4"},
            {"Hangul choseong filler", "\xe1\x85\x9f", "\\xE1\\x85\\x9F"},
            {"halfwidth Hangul filler", "\xef\xbe\xa0", "\\xEF\\xBE\\xA0"},
            {"Mongolian vowel separator", "\xe1\xa0\x8e", "\\xE1\\xA0\\x8E"},
            {"word joiner", "\xe2\x81\xa0", "\\xE2\\x81\\xA0"},
            {"left-to-right isolate", "\xe2\x81\xa6", "\\xE2\\x81\\xA6"},
            {"tag letter", "\xf3\xa0\x81\x81", "\\xF3\\xA0\\x81\\x81"},
            {"braille blank", "\xe2\xa0\x80", "\\xE2\\xA0\\x80"},
            {"private use", "\xee\x80\x80", "\\xEE\\x80\\x80"},
            {"unassigned", "\xf0\xaf\xa8\xa0", "\\xF0\\xAF\\xA8\\xA0"},
        };
        for (const auto& l : lookAlikes)
            QTest::newRow(l.name) << QByteArray("sle") + l.utf8 + "ep" << QString::fromLatin1("sle%1ep").arg(QLatin1String(l.escaped));
        QTest::newRow("blanks at either end") << QByteArray("  sleep  x ") << "\\x20\\x20sleep  x\\x20";
        QTest::newRow("only blanks") << QByteArray("  ") << "\\x20\\x20";
        QTest::newRow("braille letter stays") << QByteArray("\xe2\xa0\x81") << QString::fromUtf8("\xe2\xa0\x81");
        QTest::newRow("backslash stands for itself") << QByteArray("c:\\x41\\new") << "c:\\x41\\new";
    }
    void displayText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QCOMPARE(DisplayText(bytes.toStdString()), shown);
    }

    // Whatever the texts hold, the block keeps its seven lines.
    void noValueAddsALine()
    {
        ProcessInfo p;
        p.caption = p.name = p.description = "a\r\nb\nc\rd\xe2\x80\xa8";
        p.commandLine = "x\r\nHafiza kullanimi: 1 KB\r\n";
        const QString block = DetailsBlock(p);
        QCOMPARE(block.count(QLatin1Char('\n')), 7);
        QCOMPARE(block.count(QLatin1Char('\r')), 7);
        QVERIFY(block.contains(QStringLiteral("\r\nKomut satiri: x\\r\\nHafiza kullanimi: 1 KB\\r\\n\r\n")));
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
