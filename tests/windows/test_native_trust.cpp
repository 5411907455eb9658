// The trust decision on the rows the native process source makes from
// answers as Windows 10 and 11 give them (the stand-ins of
// tests/wine/fake_nt.h): which processes the list shows, which it hides as
// trusted, and which it counts as not readable. The paths Wine itself never
// takes (the path by process id, the command line in one call) are here the
// ones taken.
#include "fake_nt.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/os/windows/nt_process_source.h"
#include "process/list_processes.h"
#include "trusted/trust_verdict.h"

#include <QtTest>

#include <windows.h>

using namespace zerva;
using namespace zerva::test;

namespace {

constexpr std::int64_t kPid = 900;

QString driveC()
{
    wchar_t device[1024] = {};
    return QueryDosDeviceW(L"C:", device, 1024) > 0 ? QString::fromWCharArray(device)
                                                    : QStringLiteral("\\Device\\HarddiskVolume3");
}

ULONG ownSession()
{
    DWORD session = 0;
    return ProcessIdToSessionId(GetCurrentProcessId(), &session) ? session : 0;
}

} // namespace

class TestNativeTrust : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decision_data()
    {
        QTest::addColumn<QString>("ntPath");   // by process id; "C:" stands for drive C:'s device
        QTest::addColumn<bool>("refused");     // the path by id is refused, the process not opened
        QTest::addColumn<bool>("ownSession");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("outcome");  // "listed", "trusted" or "not readable"
        QTest::addColumn<QString>("shownPath");

        const QString tools = QStringLiteral("C:\\Tools\\a.exe");
        QTest::newRow("drive path, entry as shown") << "C:\\Tools\\a.exe" << false << true << tools << "trusted"
                                                    << tools;
        QTest::newRow("drive path, entry in other case")
            << "C:\\Tools\\a.exe" << false << true << "c:\\tools\\A.EXE" << "trusted" << tools;
        QTest::newRow("drive path, entry for another file")
            << "C:\\Tools\\a.exe" << false << true << "C:\\Tools\\a.exe.bak" << "listed" << tools;
        const QString noLetter = QStringLiteral("\\Device\\HarddiskVolume42\\Tools\\a.exe");
        QTest::newRow("device without a drive letter, entry with C:")
            << noLetter << false << true << tools << "listed" << noLetter;
        QTest::newRow("device without a drive letter, entry as shown")
            << noLetter << false << true << noLetter << "trusted" << noLetter;
        QTest::newRow("network share, entry as shown") << "\\Device\\Mup\\server\\share\\a.exe" << false << true
                                                       << "\\\\server\\share\\a.exe" << "trusted"
                                                       << "\\\\server\\share\\a.exe";
        const QString pair = QString::fromUtf8("C:\\Tools\\\xF0\x9F\x98\x80.exe");
        QTest::newRow("surrogate pair, entry as shown") << pair << false << true << pair << "trusted" << pair;
        const QString lone = QStringLiteral("C:\\Tools\\") + QChar(0xD800) + QStringLiteral(".exe");
        const QString replaced = QStringLiteral("C:\\Tools\\") + QChar(0xFFFD) + QStringLiteral(".exe");
        QTest::newRow("unpaired surrogate, entry with U+FFFD")
            << lone << false << true << replaced << "listed" << QString();
        QTest::newRow("unpaired surrogate in another session, entry with U+FFFD")
            << lone << false << false << replaced << "listed" << QString();
        QTest::newRow("path refused, own session") << QString() << true << true << tools << "listed" << QString();
        QTest::newRow("path refused, other session")
            << QString() << true << false << tools << "not readable" << QString();
        QTest::newRow("pseudo-process, entry of its name")
            << "Registry" << false << false << "Registry" << "not readable" << QString();
    }
    void decision()
    {
        QFETCH(QString, ntPath);
        QFETCH(bool, refused);
        QFETCH(bool, ownSession);
        QFETCH(QString, entry);
        QFETCH(QString, outcome);
        QFETCH(QString, shownPath);

        if (ntPath.startsWith(QStringLiteral("C:")))
            ntPath.replace(0, 2, driveC());
        const ULONG own = ::ownSession();
        FakeProcess process;
        process.pid = kPid;
        process.session = ownSession ? own : own + 1;
        process.image = L"a.exe";
        process.ntPath = ntPath.toStdWString();
        process.pathStatus = refused ? kStatusAccessDenied : kStatusSuccess;
        process.opens = !refused;
        process.commandLine = L"a.exe /x";
        FakeNt fake({{.pid = 0, .session = 0}, {.pid = 4, .session = 0, .image = L"System"}, process});
        NtProcessSource source(fake.calls());

        ListView trList;
        trList.add(entry);
        ListView list;
        CheckBox check1(QString{});
        const HiddenCount hidden = ListProcesses(list, source, check1, trList);
        int row = -1;
        for (int i = 0; i < list.count(); ++i)
            if (list.key(i) == kPid)
                row = i;
        if (outcome == QLatin1String("listed")) {
            QVERIFY(row >= 0);
            QCOMPARE(list.subItem(row, 1), shownPath);
            // A process whose program cannot be named is listed with why.
            if (shownPath.isEmpty())
                QCOMPARE(list.warning(row), WarningText(TrustVerdict::ProgramHidden));
            QCOMPARE(hidden.trusted, 0);
        } else if (outcome == QLatin1String("trusted")) {
            QCOMPARE(row, -1);
            QCOMPARE(hidden.trusted, 1);
        } else {
            QCOMPARE(row, -1);
            QCOMPARE(hidden.trusted, 0);
            // The idle process and System are counted alike.
            QCOMPARE(hidden.notReadable, 3);
        }

        // Ticked, every process shows, with the path as shown above.
        check1.setValue(1);
        ListProcesses(list, source, check1, trList);
        row = -1;
        for (int i = 0; i < list.count(); ++i)
            if (list.key(i) == kPid)
                row = i;
        QVERIFY(row >= 0);
        QCOMPARE(list.count(), 3);
    }
};

QTEST_MAIN(TestNativeTrust)
#include "test_native_trust.moc"
