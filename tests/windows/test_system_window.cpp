// The main window on the real platform pieces, as zerva.exe starts it: the
// processes come from the system's native process list. Run with the
// Windows platform plugin, so that under Wine it is a real window in Xvfb.
#include "fakes/list_texts.h"
#include "fakes/row_check.h"
#include "fakes/shown.h"
#include "main_window/zerva.h"
#include "main_window/zerva_platform.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "program_copy.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

using namespace zerva;
using namespace zerva::test;

class TestSystemWindow : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_home = QDir::currentPath();

private Q_SLOTS:
    void initTestCase() { QVERIFY(QDir::setCurrent(m_dir.path())); }
    void cleanupTestCase() { QDir::setCurrent(m_home); }

    // Unticked, only processes with a path are listed; ticked, every
    // process is, this test among them.
    void showAll()
    {
        // The banner is left out: its page is fetched from the network,
        // which a test machine may not have, and it has nothing to do with
        // the process list.
        ZervaPlatform platform = MakeSystemPlatform();
        platform.banner = nullptr;
        Zerva window(std::move(platform));
        window.Form_Load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const ZervaForm& f = window.form();
        const qsizetype withPath = ShownList(f).count();
        QCOMPARE(ListFault(ShownList(f), false), QString());

        QTest::mouseClick(f.Check1, Qt::LeftButton, {}, QPoint(4, f.Check1->height() / 2));
        QCOMPARE(f.Check1->value(), 1);
        const ListView& all = ShownList(f);
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        const QString captions = ListTexts(all).join(", ");
        QVERIFY2(ListTexts(all).contains(self, Qt::CaseInsensitive), qPrintable(captions));
        QVERIFY(all.count() >= withPath);
        QCOMPARE(ListFault(all, true), QString());
        QCOMPARE(f.lblOS->text(), QStringLiteral("Toplam %1 Process").arg(all.count()));
        qInfo("%lld processes with a path, %lld in all: %s", qlonglong(withPath), qlonglong(all.count()),
              qPrintable(captions));
    }

    // A program that kvr.conf trusts, started from the system's folder, is
    // hidden; the same program copied to another folder is listed; ticked,
    // both are. Windows compares paths without case, and so does the entry.
    void trustedProgram_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::newRow("entry as the system spells it") << QByteArray("C:\\windows\\system32\\notepad.exe");
        QTest::newRow("entry in lower case") << QByteArray("c:\\windows\\system32\\notepad.exe");
        QTest::newRow("entry in capitals") << QByteArray("C:\\WINDOWS\\SYSTEM32\\NOTEPAD.EXE");
    }
    void trustedProgram()
    {
        QFETCH(QByteArray, entry);
        const QString system = QStringLiteral("C:/windows/system32/notepad.exe");
        QVERIFY2(QFileInfo::exists(system), "no notepad.exe in the system folder");
        const QString copy = QDir(m_dir.path()).filePath(QStringLiteral("elsewhere/notepad.exe"));
        QVERIFY(QDir().mkpath(QFileInfo(copy).path()));
        QVERIFY(QFile::exists(copy) || CopyProgram(system, copy));
        QFile conf(QStringLiteral("kvr.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly | QIODevice::Truncate));
        conf.write(entry + "\r\n");
        conf.close();

        QProcess fromSystem, fromCopy;
        fromSystem.start(system, {});
        fromCopy.start(copy, {});
        QVERIFY(fromSystem.waitForStarted() && fromCopy.waitForStarted());
        const auto stop = qScopeGuard([&] {
            fromSystem.kill();
            fromCopy.kill();
            fromSystem.waitForFinished();
            fromCopy.waitForFinished();
        });

        ZervaPlatform platform = MakeSystemPlatform();
        platform.banner = nullptr;
        Zerva window(std::move(platform));
        window.Form_Load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const ZervaForm& f = window.form();
        const QString systemPath = QDir::toNativeSeparators(system);
        const QString copyPath = QDir::toNativeSeparators(copy);
        const auto rows = [&](const QString& path) {
            return ShownPaths(f).filter(QRegularExpression(
                QStringLiteral("^%1$").arg(QRegularExpression::escape(path)),
                QRegularExpression::CaseInsensitiveOption)).count();
        };
        window.cmdRefresh_Click();
        QVERIFY2(rows(copyPath) == 1, qPrintable(ShownPaths(f).join(", ")));
        QCOMPARE(rows(systemPath), 0);

        QTest::mouseClick(f.Check1, Qt::LeftButton, {}, QPoint(4, f.Check1->height() / 2));
        QCOMPARE(f.Check1->value(), 1);
        QCOMPARE(rows(copyPath), 1);
        QCOMPARE(rows(systemPath), 1);
        qInfo("kvr.conf %s: hidden unticked %s, listed %s", entry.constData(), qPrintable(systemPath),
              qPrintable(copyPath));
    }
};

QTEST_MAIN(TestSystemWindow)
#include "test_system_window.moc"
