#include "fakes/fake_shell.h"
#include "fakes/tiny_http_server.h"
#include "fakes/zerva_fixture.h"
#include "main_window/zerva_links.h"
#include "platform/banner/webengine/chromium_start.h"
#include "platform/banner/webengine/webengine_banner.h"

#include <QLabel>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWebEngineSettings>
#include <QtTest>

using namespace zerva;
using namespace zerva::test;

class TestWebEngineBanner : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void chromiumCanStart_data()
    {
        QTest::addColumn<bool>("asRoot");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<bool>("sandboxDisabled");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("canStart");
        QTest::newRow("user") << false << "" << false << QStringList{"zerva"} << true;
        QTest::newRow("root") << true << "" << false << QStringList{"zerva"} << false;
        QTest::newRow("root, flag in the environment")
            << true << "--disable-gpu --no-sandbox" << false << QStringList{"zerva"} << true;
        QTest::newRow("root, sandbox disabled") << true << "" << true << QStringList{"zerva"} << true;
    }
    void chromiumCanStart()
    {
        QFETCH(bool, asRoot);
        QFETCH(QString, flags);
        QFETCH(bool, sandboxDisabled);
        QFETCH(QStringList, arguments);
        QFETCH(bool, canStart);
        QCOMPARE(ChromiumCanStart(asRoot, flags, sandboxDisabled, arguments), canStart);
    }

    void startsAfterTheFirstPaintAndShowsThePage()
    {
        TinyHttpServer server;
        server.pages["/ad.php"] = {"text/html", "<title>reklam</title><body>ad</body>"};
        QWidget host;
        host.resize(300, 100);
        auto* banner = dynamic_cast<WebEngineBanner*>(MakeSystemBanner(&host, nullptr));
        QVERIFY(banner);   // this build's banner is the browser
        QSignalSpy loaded(banner, &WebEngineBanner::loadFinished);
        banner->Navigate(server.url("/ad.php"));
        QCoreApplication::processEvents();
        QVERIFY(!banner->view());   // nothing painted yet: no browser either

        host.show();
        QVERIFY(!banner->view());   // not even while the window is being shown
        QTRY_VERIFY(banner->view());
        QTRY_VERIFY_WITH_TIMEOUT(loaded.count() >= 1, 60000);
        QCOMPARE(loaded.last().at(0).toBool(), true);
        QCOMPARE(banner->view()->title(), QStringLiteral("reklam"));
    }

    void newWindowsOpenThroughTheShell()
    {
        TinyHttpServer server;
        server.pages["/ad.php"] = {"text/html", "<body>ad</body>"};
        FakeShell shell;
        QWidget host;
        auto* banner = new WebEngineBanner(&host, &shell);
        host.show();
        QSignalSpy loaded(banner, &WebEngineBanner::loadFinished);
        banner->Navigate(server.url("/ad.php"));
        QTRY_VERIFY_WITH_TIMEOUT(loaded.count() >= 1, 60000);
        QWebEnginePage* page = banner->view()->page();
        page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
        page->runJavaScript(QStringLiteral("window.open('http://www.oyunevi.example/')"));
        QTRY_COMPARE_WITH_TIMEOUT(shell.started.size(), size_t(1), 30000);
        QCOMPARE(shell.started[0].first, std::string("explorer http://www.oyunevi.example/"));
        QCOMPARE(shell.started[0].second, int(Shell::MinimizedFocus));
    }

    void mainWindowStartsWithoutNetwork()
    {
        ZervaFixture z(ZervaFixture::Pieces{
            .processes = {MakeProcess(1, "a", "/bin/a")}, .shell = true, .banner = MakeSystemBanner});
        Zerva& window = *z.window;
        window.Form_Load();
        window.show();
        auto* banner = window.findChild<WebEngineBanner*>(QStringLiteral("Web1"));
        QVERIFY(banner);
        QSignalSpy loaded(banner, &WebEngineBanner::loadFinished);
        // The reserved address never answers: no page, no message, the
        // window goes on.
        QTRY_VERIFY_WITH_TIMEOUT(loaded.count() >= 1, 60000);
        QCOMPARE(loaded.last().at(0).toBool(), false);
        QCOMPARE(banner->view()->url().toString(), QLatin1String(links::BannerPage));
        QVERIFY(window.isVisible());
        window.cmdRefresh_Click();
        QCOMPARE(window.form().lblOS->text(), QStringLiteral("Toplam 1 Process"));
    }
};

QTEST_MAIN(TestWebEngineBanner)
#include "test_webengine_banner.moc"
