// Adding a trusted program on a Turkish Windows, whose ANSI code page (1254)
// is the encoding of kvr.conf: the real input box's answer is written as
// 1254 bytes, hides exactly the process it names, and an answer the code
// page cannot hold is refused with the file left as it was. Under Wine the
// code page follows the locale (ctest sets LC_ALL=tr_TR.UTF-8).
#include "fakes/input_box_answer.h"
#include "fakes/shown.h"
#include "fakes/zerva_fixture.h"
#include "platform/controls/input_box.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <windows.h>

using namespace zerva;
using namespace zerva::test;

namespace {

// Written before each add: one entry, "c:\eski\şey.exe" in code page 1254.
const QByteArray kOldConf("c:\\eski\\\xfe" "ey.exe\r\n");

bool UnderWine()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

} // namespace

class TestTurkishCodePage : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_home = QDir::currentPath();

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setApplicationName("Zerva");
        if (GetACP() != 1254) {
            if (UnderWine())
                QFAIL(qPrintable(QStringLiteral("ANSI code page %1, not 1254: is tr_TR.UTF-8 generated?").arg(GetACP())));
            QSKIP("needs a Turkish Windows (ANSI code page 1254)");
        }
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        QFile f("kvr.conf");
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(kOldConf) == kOldConf.size());
    }
    void cleanup() { QDir::setCurrent(m_home); }

    void addThroughTheInputBox_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QByteArray>("conf");
        QTest::addColumn<QStringList>("shown");
        const QByteArray calis("c:\\programlar\\\xe7" "al\xfd\xfe.exe\r\n");
        // Near misses of the new entry stay listed: an ASCII look-alike, a
        // dotted i, a longer name, the folder.
        const QStringList nearMisses = {"c:\\programlar\\calis.exe", "c:\\programlar\\çaliş.exe",
                                        "c:\\programlar\\çalış.exe.bak", "c:\\programlar"};
        const QStringList others = QStringList{"c:\\€.exe"} + nearMisses;
        QTest::newRow("turkish letters") << "c:\\programlar\\çalış.exe" << calis + kOldConf << others;
        QTest::newRow("capitals stored in lower case") << "C:\\Programlar\\Çalış.exe" << calis + kOldConf << others;
        QTest::newRow("euro sign, 0x80 in 1254")
            << "c:\\€.exe" << QByteArray("c:\\\x80.exe\r\n") + kOldConf
            << QStringList{"c:\\programlar\\çalış.exe", "C:\\Programlar\\Çalış.EXE"} + nearMisses;
        // Refused: the file is not touched, the list not changed.
        const QStringList allButOld = QStringList{"c:\\programlar\\çalış.exe", "C:\\Programlar\\Çalış.EXE",
                                                  "c:\\€.exe"} + nearMisses;
        QTest::newRow("o with double acute, not in 1254") << "c:\\programlar\\ő.exe" << kOldConf << allButOld;
        QTest::newRow("CJK, not in 1254") << "c:\\日本\\çalış.exe" << kOldConf << allButOld;
    }
    void addThroughTheInputBox()
    {
        QFETCH(QString, answer);
        QFETCH(QByteArray, conf);
        QFETCH(QStringList, shown);
        ZervaFixture::Pieces pieces{.inputBox = InputBox};
        int pid = 1;
        for (const char* path : {"c:\\eski\\şey.exe", "c:\\programlar\\çalış.exe", "C:\\Programlar\\Çalış.EXE",
                                 "c:\\€.exe", "c:\\programlar\\calis.exe", "c:\\programlar\\çaliş.exe",
                                 "c:\\programlar\\çalış.exe.bak", "c:\\programlar"})
            pieces.processes.push_back(MakeProcess(pid++, "p", path));
        const ZervaFixture z(std::move(pieces));
        Zerva& window = *z.window;
        window.Form_Load();
        window.show();

        const InputBoxAnswer typed(answer, true);
        window.GPE_Click();
        QVERIFY(!typed.title.isNull());
        QCOMPARE(ConfBytes(), conf);
        window.form().cmdRefresh->click();
        QStringList expected = shown;
        QStringList actual = ShownPaths(window.form());
        expected.sort();
        actual.sort();
        QCOMPARE(actual, expected);
    }
};

QTEST_MAIN(TestTurkishCodePage)
#include "test_turkish_code_page.moc"
