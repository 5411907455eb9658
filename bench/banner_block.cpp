#include "banner_block.h"

#include "fakes/tiny_http_server.h"
#include "platform/banner/light_banner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace zerva::bench {

BannerBlock MeasureBannerBlock(const QByteArray& page, const QHash<QByteArray, QByteArray>& images)
{
    test::TinyHttpServer server;
    server.pages["/ad.php"] = {"text/html", page};
    for (auto it = images.cbegin(); it != images.cend(); ++it)
        server.pages[it.key()] = {"image/jpeg", it.value()};
    auto* banner = new LightBanner(nullptr, nullptr);
    banner->resize(177, 65);
    banner->show();

    BannerBlock result;
    QElapsedTimer clock;
    qint64 last = 0;
    QTimer heartbeat;
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        result.worstMs = std::max(result.worstMs, double(now - last) / 1e6);
        last = now;
        if (result.shownAfterMs < 0 && banner->toPlainText().contains(QStringLiteral("Reklam")))
            result.shownAfterMs = double(now) / 1e6;
    });
    clock.start();
    heartbeat.start();
    banner->Navigate(server.url(QStringLiteral("/ad.php")));
    // Until a second after the page was shown (painting included), ten at most.
    while (clock.elapsed() < 10'000 && (result.shownAfterMs < 0 || clock.elapsed() < result.shownAfterMs + 1000))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    // With all images asked for, however long their decoders still run.
    while (clock.elapsed() < 10'000 && server.requested.size() < 1 + images.size())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QElapsedTimer closing;
    closing.start();
    banner->close();
    delete banner;
    result.closedInMs = double(closing.nsecsElapsed()) / 1e6;
    return result;
}

} // namespace zerva::bench
