#include "fakes/fake_shell.h"
#include "fakes/tiny_http_server.h"
#include "platform/banner/light_banner.h"

#include <QBuffer>
#include <QImage>
#include <QtTest>

using namespace zerva;
using namespace zerva::test;

namespace {

QByteArray Png(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

// A port nobody listens on: the banner's "no network".
quint16 DeadPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

} // namespace

class TestLightBanner : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsThePageWithItsImage()
    {
        TinyHttpServer server;
        server.pages["/zerva/ad.php"] = {"text/html; charset=utf-8",
            "<html><body bgcolor=\"#000000\"><a href=\"/go\"><img src=\"img/ad.png\"></a>"
            "<p>Reklam \xc3\xbc</p></body></html>"};
        server.pages["/zerva/img/ad.png"] = {"image/png", Png(90, 35)};
        FakeShell shell;
        LightBanner banner(nullptr, &shell);

        banner.Navigate(server.url("/zerva/ad.php"));
        // Navigate only starts the loading.
        QVERIFY(banner.toPlainText().isEmpty());

        QTRY_VERIFY(banner.toPlainText().contains(QStringLiteral("Reklam \u00fc")));
        QCOMPARE(banner.pageUrl().toString(), server.url("/zerva/ad.php"));
        // The relative image is fetched from the page's directory and shown.
        const QUrl image(server.url("/zerva/img/ad.png"));
        QTRY_VERIFY(!banner.loadResource(QTextDocument::ImageResource, image).isNull());
        QCOMPARE(server.requested.count(QStringLiteral("/zerva/img/ad.png")), 1);
        // A remote page never gets local files.
        QVERIFY(banner.loadResource(QTextDocument::ImageResource, QUrl("file:///etc/hostname")).isNull());
    }

    void staysBlackAndEmptyWithoutAPage_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("deadServer");
        QTest::newRow("no server") << "/ad.php" << true;
        QTest::newRow("missing page") << "/nothing.php" << false;
    }
    void staysBlackAndEmptyWithoutAPage()
    {
        QFETCH(QString, path);
        QFETCH(bool, deadServer);
        TinyHttpServer server;
        server.pages["/ad.php"] = {"text/html", "<p>ad</p>"};
        const QString address = deadServer ? QStringLiteral("http://127.0.0.1:%1%2").arg(DeadPort()).arg(path)
                                           : server.url(path);
        LightBanner banner(nullptr, nullptr);
        banner.resize(177, 65);
        banner.Navigate(address);
        QTest::qWait(300);
        QVERIFY(banner.toPlainText().isEmpty());
        QCOMPARE(banner.palette().color(QPalette::Base), QColor(Qt::black));
        const QImage shot = banner.grab().toImage();
        QCOMPARE(QColor(shot.pixel(shot.width() / 2, shot.height() / 2)), QColor(Qt::black));
    }

    void linksOpenThroughTheShell_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("commandLine");   // empty: nothing is started
        QTest::newRow("absolute") << "http://www.oyunevi.example/" << "explorer http://www.oyunevi.example/";
        QTest::newRow("secure") << "https://a.example/x" << "explorer https://a.example/x";
        QTest::newRow("relative to the page") << "kampanya.php?id=7"
                                              << "explorer http://www.mavikod.example/zerva/kampanya.php?id=7";
        QTest::newRow("rooted") << "/" << "explorer http://www.mavikod.example/";
        QTest::newRow("blank is encoded") << "http://a.example/a b\"c" << "explorer http://a.example/a%20b%22c";
        QTest::newRow("local file") << "file:///etc/passwd" << "";
        QTest::newRow("script") << "javascript:alert(1)" << "";
        QTest::newRow("mail") << "mailto:x@a.example" << "";
    }
    void linksOpenThroughTheShell()
    {
        QFETCH(QString, href);
        QFETCH(QString, commandLine);
        TinyHttpServer server;
        server.pages["/zerva/ad.php"] = {"text/html", "<p>ad</p>"};
        FakeShell shell;
        LightBanner banner(nullptr, &shell);
        // Links resolve against where the page came from.
        banner.Navigate(server.url("/zerva/ad.php"));
        QTRY_VERIFY(!banner.toPlainText().isEmpty());
        QString expected = commandLine;
        expected.replace(QStringLiteral("http://www.mavikod.example"), server.url(QString()));

        Q_EMIT banner.anchorClicked(QUrl(href));
        if (commandLine.isEmpty()) {
            QVERIFY(shell.started.empty());
        } else {
            QCOMPARE(shell.started.size(), size_t(1));
            QCOMPARE(QString::fromStdString(shell.started[0].first), expected);
            QCOMPARE(shell.started[0].second, int(Shell::MinimizedFocus));
        }
    }

};

QTEST_MAIN(TestLightBanner)
#include "test_light_banner.moc"
