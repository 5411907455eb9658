#include "fakes/fake_shell.h"
#include "fakes/jpeg_bomb.h"
#include "fakes/tiny_http_server.h"
#include "platform/banner/banner_html.h"
#include "platform/banner/image_decode.h"
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

    // What is kept of a page: text, links, images and a few plain marks.
    void bannerHtml_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("html");
        QTest::addColumn<QStringList>("images");
        QTest::newRow("text, link and image kept; the rest dropped")
            << "<html><head><title>T</title><script>if (a<b) x()</script><style>p{}</style>"
               "<link rel=stylesheet href=s.css></head><body bgcolor=#000><table><tr><td>"
               "<a href=\"/go?a=1&amp;b=2\" onclick=x><img src='ad.png' width=90 height=\"35\" onerror=x></a>"
               "</td></tr></table><p style=\"x\" align=center><font color=red>Reklam</font></p></body></html>"
            << "<a href=\"/go?a=1&amp;b=2\"><img src=\"ad.png\" width=\"90\" height=\"35\"></a>"
               "<p align=\"center\"><font color=\"red\">Reklam</font></p>"
            << QStringList{"ad.png"};
        QTest::newRow("deep nesting: text kept, tags beyond the depth dropped")
            << QString("<div>").repeated(20) + "x" + QString("</div>").repeated(20)
            << QString("<div>").repeated(BannerHtml::kMaxDepth) + "x" + QString("</div>").repeated(BannerHtml::kMaxDepth)
            << QStringList{};
        QTest::newRow("letter case of tags and attributes") << "<B>x</b><IMG SRC=a.png>" << "<b>x</b><img src=\"a.png\">"
                                                            << QStringList{"a.png"};
        QTest::newRow("misnested end tag ignored") << "<b><i>x</b></i>y" << "<b><i>x</i>y</b>" << QStringList{};
        QTest::newRow("a tag that never ends ends the page") << "a<b title=\"x>y" << "a" << QStringList{};
        QTest::newRow("a lone < is text") << "1 < 2 <3" << "1 &lt; 2 &lt;3" << QStringList{};
        QTest::newRow("comment") << "a<!-- <b> -->b" << "ab" << QStringList{};
        QTest::newRow("images from nowhere but the web dropped")
            << "<img src=\"file:///etc/passwd\"><img src=\"data:image/png;base64,AA\"><img src=https://a.example/i.gif>"
            << "<img src=\"https://a.example/i.gif\">" << QStringList{"https://a.example/i.gif"};
        QTest::newRow("sizes clamped, quotes escaped")
            << "<img src='a\"b.png' width=99999 height=-3>"
            << QString("<img src=\"a&quot;b.png\" width=\"%1\">").arg(BannerHtml::kMaxImagePx) << QStringList{"a\"b.png"};
        QTest::newRow("text cut") << QString(BannerHtml::kMaxText + 10, u'x') << QString(BannerHtml::kMaxText, u'x')
                                  << QStringList{};
        QTest::newRow("elements counted") << QString("<br>").repeated(BannerHtml::kMaxElements + 5)
                                          << QString("<br>").repeated(BannerHtml::kMaxElements) << QStringList{};
    }
    void bannerHtml()
    {
        QFETCH(QString, page);
        QFETCH(QString, html);
        QFETCH(QStringList, images);
        const BannerHtml out = BannerHtml::FromPage(page);
        QCOMPARE(out.html, html);
        QCOMPARE(out.images, images);
    }

    // A hostile page is shown cut down, and a page is laid out once when it
    // arrives and once more when all its images are in, not once per image.
    // An image whose declared size is out of bounds is never decoded.
    void hostilePages_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<int>("layouts");
        QTest::addColumn<int>("shownImages");
        QTest::addColumn<int>("requests");
        const QByteArray deep = QByteArray("<div><b>").repeated(131'000) + "Reklam";
        QTest::newRow("1 MiB, deeply nested") << deep.left(LightBanner::kMaxBytes - 16) + "Reklam" << 1 << 0 << 1;
        QTest::newRow("three images and one too large")
            << QByteArray("<img src=a.png><img src=b.png><img src=c.png><img src=huge.png>Reklam") << 2 << 3 << 5;
        // Its scans are counted before it is decoded: it is left out.
        QTest::newRow("a progressive JPEG of many scans")
            << QByteArray("<img src=a.png><img src=bomb.jpg>Reklam") << 2 << 1 << 3;
    }
    void hostilePages()
    {
        QFETCH(QByteArray, page);
        QFETCH(int, layouts);
        QFETCH(int, shownImages);
        QFETCH(int, requests);
        TinyHttpServer server;
        server.pages["/ad.php"] = {"text/html", page};
        for (const char* name : {"/a.png", "/b.png", "/c.png"})
            server.pages[name] = {"image/png", Png(20, 10)};
        server.pages["/huge.png"] = {"image/png", Png(BannerHtml::kMaxImagePx + 1, 1)};
        server.pages["/bomb.jpg"] = {"image/jpeg", ProgressiveJpegBomb(64, 64, ImageDecode::kMaxJpegScans)};
        LightBanner banner(nullptr, nullptr);
        int changes = 0;
        connect(&banner, &QTextEdit::textChanged, &banner, [&] { ++changes; });
        banner.Navigate(server.url("/ad.php"));
        QTRY_VERIFY(banner.toPlainText().endsWith(QStringLiteral("Reklam")));
        QTRY_COMPARE(server.requested.size(), requests);
        QTest::qWait(200);
        QCOMPARE(changes, layouts);
        int shown = 0;
        for (const char* name : {"/a.png", "/b.png", "/c.png", "/huge.png", "/bomb.jpg"})
            shown += banner.loadResource(QTextDocument::ImageResource, QUrl(server.url(name))).isNull() ? 0 : 1;
        QCOMPARE(shown, shownImages);
        QVERIFY(banner.document()->blockCount() <= BannerHtml::kMaxElements + 1);
    }

    void imageDecode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("scans");
        QTest::addColumn<bool>("decoded");
        QTest::newRow("PNG") << Png(20, 10) << 0 << true;
        QTest::newRow("baseline JPEG") << Jpeg(40, 30) << 1 << true;
        QTest::newRow("progressive, scans at the limit")
            << ProgressiveJpegBomb(40, 30, ImageDecode::kMaxJpegScans - 1) << ImageDecode::kMaxJpegScans << true;
        QTest::newRow("one scan more") << ProgressiveJpegBomb(40, 30, ImageDecode::kMaxJpegScans)
                                       << ImageDecode::kMaxJpegScans + 1 << false;
        QTest::newRow("cut short") << Jpeg(40, 30).left(200) << 0 << false;
    }
    void imageDecode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, scans);
        QFETCH(bool, decoded);
        QCOMPARE(ImageDecode::JpegScans(bytes), scans);
        QCOMPARE(!ImageDecode::Decode(bytes).isNull(), decoded);
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
