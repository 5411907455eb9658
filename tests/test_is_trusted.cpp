#include "platform/controls/list_view.h"
#include "trusted/is_trusted.h"

#include <QtTest>

using namespace zerva;

class TestIsTrusted : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rows_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("check1");
        QTest::addColumn<bool>("trusted");
        const QStringList explorer{"c:\\windows\\explorer.exe"};
        QTest::newRow("equal") << explorer << "c:\\windows\\explorer.exe" << 0 << true;
        QTest::newRow("path in capitals") << explorer << "C:\\WINDOWS\\Explorer.EXE" << 0 << true;
        QTest::newRow("entry in capitals") << QStringList{"C:\\TOOLS\\X.EXE"} << "c:\\tools\\x.exe" << 0 << true;
        QTest::newRow("ticked shows all") << explorer << "c:\\windows\\explorer.exe" << 1 << false;
        QTest::newRow("greyed still tests") << explorer << "c:\\windows\\explorer.exe" << 2 << true;
        QTest::newRow("empty list") << QStringList{} << "c:\\windows\\explorer.exe" << 0 << false;
        QTest::newRow("prefix of an entry is not trusted")
            << QStringList{"c:\\app\\a.exe.bak"} << "c:\\app\\a.exe" << 0 << false;
        QTest::newRow("prefix on linux") << QStringList{"/usr/bin/python3"} << "/usr/bin/py" << 0 << false;
        QTest::newRow("entry with arguments") << QStringList{"c:\\windows\\explorer.exe /e"}
                                              << "c:\\windows\\explorer.exe" << 0 << false;
        QTest::newRow("folder entry") << QStringList{"c:\\windows\\"} << "c:\\windows\\explorer.exe" << 0 << false;
        QTest::newRow("empty path, any entry") << QStringList{"/usr/bin/x", ""} << "" << 0 << false;
        QTest::newRow("deleted binary") << QStringList{"/usr/bin/tool"} << "/usr/bin/tool (deleted)" << 0 << false;
        QTest::newRow("trailing blank") << QStringList{"/usr/bin/tool"} << "/usr/bin/tool " << 0 << false;
        QTest::newRow("several match") << QStringList{"/a", "/usr/bin/tool", "/USR/BIN/TOOL"} << "/usr/bin/tool" << 0 << true;
        QTest::newRow("turkish letters") << QStringList{"/opt/ÇALIŞ/x"} << "/opt/çaliş/x" << 0 << true;
    }
    void rows()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, path);
        QFETCH(int, check1);
        QFETCH(bool, trusted);
        ListView trList;
        for (const QString& e : entries)
            trList.add(e);
        QCOMPARE(IsTrusted(path, check1, trList), trusted);
    }

    void lowercasesTheCallersString()
    {
        ListView trList;
        trList.add("c:\\windows\\explorer.exe");
        QString path = "C:\\WINDOWS\\Explorer.EXE";
        QVERIFY(IsTrusted(path, 0, trList));
        QCOMPARE(path, QStringLiteral("c:\\windows\\explorer.exe"));
    }

    void listChangesTakeEffect()
    {
        ListView trList;
        trList.add("/bin/a");
        QString p = "/bin/b";
        QVERIFY(!IsTrusted(p, 0, trList));
        trList.add("/bin/b");
        QVERIFY(IsTrusted(p, 0, trList));
        trList.clear();
        QVERIFY(!IsTrusted(p, 0, trList));
    }
};

QTEST_MAIN(TestIsTrusted)
#include "test_is_trusted.moc"
