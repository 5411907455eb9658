// Ways a process might slip under a trusted entry, tried with real
// processes: each row copies /bin/sleep into a fresh folder, runs it, maybe
// deletes, replaces or renames things, and checks whether the live process
// list hides it.
#include "fakes/fake_process_source.h"
#include "posix/support/spawned_process.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/os/posix/procfs_process_source.h"
#include "process/list_processes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace zerva;
using namespace zerva::test;

namespace {

// The row of process `pid` in `list`, if listed.
std::optional<int> rowOf(const ListView& list, qint64 pid)
{
    for (int row = 0; row < list.count(); ++row)
        if (list.key(row) == pid)
            return row;
    return std::nullopt;
}

} // namespace

class TestTrustBypass : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void realProcess_data()
    {
        // Paths are relative to the row's own folder; "%1" in an entry
        // stands for that folder.
        QTest::addColumn<QString>("binary");    // copy of /bin/sleep
        QTest::addColumn<QString>("runAs");     // what is started: the binary or a link to it
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("after");     // "", "delete" or "replace" the binary once started
        QTest::addColumn<QString>("reported");  // the path the kernel then reports
        QTest::addColumn<bool>("listed");

        QTest::newRow("exact entry hides it")
            << "tool" << "tool" << QStringList{"%1/tool"} << "" << "tool" << false;
        QTest::newRow("path is the beginning of an entry")
            << "tool" << "tool" << QStringList{"%1/tool.bak", "%1/toolbox", "%1/tool --safe"} << ""
            << "tool" << true;
        QTest::newRow("entry is the beginning of the path")
            << "tool" << "tool" << QStringList{"%1/", "%1/to"} << "" << "tool" << true;
        // Letter case is ignored so that entries written on Windows keep
        // working. On Linux that opens no new hole: whoever can create
        // /home/u/bin/TOOL beside a trusted /home/u/bin/tool has write access
        // to that folder and could as well replace the trusted file itself.
        QTest::newRow("entry in other letter case")
            << "tool" << "tool" << QStringList{"%1/TOOL"} << "" << "tool" << false;
        // The trusted file is gone; what runs is no longer what was trusted.
        QTest::newRow("trusted binary deleted while running")
            << "tool" << "tool" << QStringList{"%1/tool"} << "delete" << "tool (deleted)" << true;
        QTest::newRow("trusted binary replaced while running")
            << "tool" << "tool" << QStringList{"%1/tool"} << "replace" << "tool (deleted)" << true;
        QTest::newRow("entry naming the deleted file")
            << "tool" << "tool" << QStringList{"%1/tool (deleted)"} << "delete" << "tool (deleted)" << false;
        // The kernel reports the link's target, so trust follows the file
        // that actually runs, not the name it was started by.
        QTest::newRow("link to a trusted binary")
            << "tool" << "alias" << QStringList{"%1/tool"} << "" << "tool" << false;
        QTest::newRow("entry naming only the link")
            << "tool" << "alias" << QStringList{"%1/alias"} << "" << "tool" << true;
        QTest::newRow("entry with a trailing blank")
            << "tool" << "tool" << QStringList{"%1/tool ", "%1/tool\t"} << "" << "tool" << true;
        QTest::newRow("binary name with a trailing blank")
            << "tool " << "tool " << QStringList{"%1/tool"} << "" << "tool " << true;
        QTest::newRow("empty entry")
            << "tool" << "tool" << QStringList{""} << "" << "tool" << true;
    }
    void realProcess()
    {
        QFETCH(QString, binary);
        QFETCH(QString, runAs);
        QFETCH(QStringList, entries);
        QFETCH(QString, after);
        QFETCH(QString, reported);
        QFETCH(bool, listed);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QDir d(dir.path());
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), d.filePath(binary)));
        QVERIFY(QFile::setPermissions(d.filePath(binary), QFile::ReadOwner | QFile::ExeOwner | QFile::ExeOther));
        if (runAs != binary)
            QVERIFY(QFile::link(d.filePath(binary), d.filePath(runAs)));

        SpawnedProcess process(d.filePath(runAs).toStdString(), {"1000"});
        QVERIFY2(process.started(), "cannot run programs from the temporary folder");
        if (after == QLatin1String("delete")) {
            QVERIFY(QFile::remove(d.filePath(binary)));
        } else if (after == QLatin1String("replace")) {
            // As an update would: a new file renamed over the old name.
            QVERIFY(QFile::copy(QStringLiteral("/bin/true"), d.filePath("new")));
            QVERIFY(::rename(qPrintable(d.filePath("new")), qPrintable(d.filePath(binary))) == 0);
        }
        QCOMPARE(QString::fromStdString(process.exePath()), d.filePath(reported));

        ListView list, trList;
        for (const QString& e : entries)
            trList.add(e.contains(QLatin1String("%1")) ? e.arg(dir.path()) : e);
        CheckBox box{QString()};
        ProcfsProcessSource source;
        ListProcesses(list, source, box, trList);
        const std::optional<int> row = rowOf(list, process.pid());
        QCOMPARE(row.has_value(), listed);
        if (row)
            QCOMPARE(list.subItem(*row, 1), d.filePath(reported));

        // "Guvenilirleri goster" lists it whatever the entries say.
        box.setValue(CheckBox::Ticked);
        ListProcesses(list, source, box, trList);
        QVERIFY(rowOf(list, process.pid()));
    }

    // The kernel never reports an empty path for a running program, but a
    // source might: the empty text is then the beginning of every entry and
    // must still trust nothing.
    void emptyPath_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("no entries") << QStringList{};
        QTest::newRow("plain entries") << QStringList{"/usr/bin/a", "/usr/bin/b"};
        QTest::newRow("empty entry") << QStringList{""};
        QTest::newRow("blank entry") << QStringList{" "};
    }
    void emptyPath()
    {
        QFETCH(QStringList, entries);
        FakeProcessSource source;
        source.processes = {MakeProcess(5, "odd", std::string())};
        ListView list, trList;
        for (const QString& e : entries)
            trList.add(e);
        CheckBox box{QString()};
        ListProcesses(list, source, box, trList);
        QCOMPARE(list.count(), 1);
        QCOMPARE(list.key(0), qint64(5));
        QCOMPARE(list.subItem(0, 2).count(QStringLiteral("\r\n")), 7);
    }
};

QTEST_MAIN(TestTrustBypass)
#include "test_trust_bypass.moc"
