// The trust test on Windows against a real process: a copy of cmd.exe in a
// folder named with k, a with ring above and omega, listed through the
// system's process list. An entry spelled with a look-alike letter that
// Qt lower-cases alike but Windows tells apart (the Kelvin, Ohm and
// Angstrom signs) trusts nothing.
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/os/system_process_source.h"
#include "process/list_processes.h"
#include "program_copy.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace zerva;

class TestWindowsTrust : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_copy;
    QProcess m_child;

private Q_SLOTS:
    void initTestCase()
    {
        const QString folder = QDir(m_dir.path()).filePath(QString::fromUtf8("k\u00e5\u03c9"));
        QVERIFY(QDir().mkpath(folder));
        m_copy = QDir::toNativeSeparators(folder + QStringLiteral("/cmd.exe"));
        QVERIFY(test::CopyProgram(QStringLiteral("C:/windows/system32/cmd.exe"), m_copy));
        // Reads commands from its open input, so it runs until we end it.
        m_child.start(m_copy, {});
        QVERIFY(m_child.waitForStarted());
    }
    void cleanupTestCase()
    {
        m_child.kill();
        m_child.waitForFinished();
    }

    void lookAlikeEntries_data()
    {
        QTest::addColumn<QString>("from");   // replaced in the child's path to make the entry
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("listed");
        const QString folder = QString::fromUtf8("k\u00e5\u03c9");
        QTest::newRow("entry as spelled") << folder << folder << false;
        QTest::newRow("entry in capitals") << folder << folder.toUpper() << false;
        QTest::newRow("Kelvin sign for k") << folder << QString::fromUtf8("\u212a\u00e5\u03c9") << true;
        QTest::newRow("Angstrom sign for a with ring") << folder << QString::fromUtf8("k\u212b\u03c9") << true;
        QTest::newRow("Ohm sign for omega") << folder << QString::fromUtf8("k\u00e5\u2126") << true;
        QTest::newRow("all three") << folder << QString::fromUtf8("\u212a\u212b\u2126") << true;
    }
    void lookAlikeEntries()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, listed);
        QString entry = m_copy;
        entry.replace(from, to);
        ListView trList;
        trList.add(entry);
        ListView list;
        CheckBox check1(QString{});
        const auto source = MakeSystemProcessSource();
        ListProcesses(list, *source, check1, trList);
        int rows = 0;
        for (int i = 0; i < list.count(); ++i)
            rows += list.key(i) == m_child.processId() ? 1 : 0;
        QCOMPARE(rows, listed ? 1 : 0);
        // The process is there to be hidden or listed: ticked, it shows.
        check1.setValue(1);
        ListProcesses(list, *source, check1, trList);
        bool seen = false;
        for (int i = 0; i < list.count(); ++i)
            seen = seen || (list.key(i) == m_child.processId() && list.subItem(i, 1) == m_copy);
        QVERIFY2(seen, qPrintable(m_copy));
    }
};

QTEST_MAIN(TestWindowsTrust)
#include "test_windows_trust.moc"
