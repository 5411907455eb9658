#include "platform/os/posix/posix_shell.h"

#include <QUrl>
#include <QtTest>

using namespace zerva;

class TestPosixShell : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void explorerHandsTheAddressOn_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("openerSucceeds");
        QTest::addColumn<QString>("opened");   // empty: the opener is not asked
        QTest::addColumn<bool>("result");

        QTest::newRow("home page") << "explorer http://www.mavikod.example/zerva/" << true
                                   << "http://www.mavikod.example/zerva/" << true;
        QTest::newRow("page with query") << "explorer http://a.example/x.php?id=3&b=4" << true
                                         << "http://a.example/x.php?id=3&b=4" << true;
        QTest::newRow("no browser") << "explorer http://a.example/" << false << "http://a.example/" << false;
        QTest::newRow("no address") << "explorer " << true << "" << false;
        QTest::newRow("not an address") << "explorer just words" << true << "" << false;
    }
    void explorerHandsTheAddressOn()
    {
        QFETCH(QString, commandLine);
        QFETCH(bool, openerSucceeds);
        QFETCH(QString, opened);
        QFETCH(bool, result);

        QStringList asked;
        PosixShell shell([&](const QUrl& url) {
            asked << url.toString();
            return openerSucceeds;
        });
        QCOMPARE(shell.start(commandLine.toStdString(), Shell::MinimizedFocus), result);
        QCOMPARE(asked, opened.isEmpty() ? QStringList() : QStringList{opened});
    }

    void otherProgramsStartDirectly_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("result");
        QTest::newRow("program") << "/bin/true" << true;
        QTest::newRow("program with arguments") << "/bin/sh -c true" << true;
        QTest::newRow("missing program") << "/nonexistent/zerva-test-program" << false;
        QTest::newRow("empty") << "" << false;
    }
    void otherProgramsStartDirectly()
    {
        QFETCH(QString, commandLine);
        QFETCH(bool, result);
        int asked = 0;
        PosixShell shell([&](const QUrl&) { return ++asked, true; });
        QCOMPARE(shell.start(commandLine.toStdString(), Shell::NormalFocus), result);
        QCOMPARE(asked, 0);
    }
};

QTEST_GUILESS_MAIN(TestPosixShell)
#include "test_posix_shell.moc"
