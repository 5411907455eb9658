#include "banner_block.h"

#include "fakes/tiny_http_server.h"
#include "platform/banner/light_banner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace zerva::bench {

BannerBlock MeasureBannerBlock(const QByteArray& page)
{
    test::TinyHttpServer server;
    server.pages["/ad.php"] = {"text/html", page};
    LightBanner banner(nullptr, nullptr);
    banner.resize(177, 65);
    banner.show();

    BannerBlock result;
    QElapsedTimer clock;
    qint64 last = 0;
    QTimer heartbeat;
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        result.worstMs = std::max(result.worstMs, double(now - last) / 1e6);
        last = now;
        if (result.shownAfterMs < 0 && banner.toPlainText().contains(QStringLiteral("Reklam")))
            result.shownAfterMs = double(now) / 1e6;
    });
    clock.start();
    heartbeat.start();
    banner.Navigate(server.url(QStringLiteral("/ad.php")));
    // Until a second after the page was shown (painting included), ten at most.
    while (clock.elapsed() < 10'000 && (result.shownAfterMs < 0 || clock.elapsed() < result.shownAfterMs + 1000))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return result;
}

} // namespace zerva::bench
