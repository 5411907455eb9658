#include "platform/banner/light_banner.h"

#include "platform/banner/banner_html.h"
#include "platform/banner/image_decode.h"
#include "platform/banner/shell_link.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTextDocument>

namespace zerva {

namespace {

bool IsWeb(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

} // namespace

LightBanner::LightBanner(QWidget* parent, Shell* shell)
    : QTextBrowser(parent), m_shell(shell), m_network(new QNetworkAccessManager(this))
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::black);
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    connect(this, &QTextBrowser::anchorClicked, this, &LightBanner::openLink);
    // Decoders are asked often while they work: a few milliseconds late
    // costs nothing, and the thread never waits on one.
    m_decodePoll.setInterval(10);
    connect(&m_decodePoll, &QTimer::timeout, this, &LightBanner::collectDecodes);
}

LightBanner::~LightBanner()
{
    // Replies still under way must not call back into a half-destroyed
    // banner.
    for (QNetworkReply* reply : m_network->findChildren<QNetworkReply*>())
        reply->disconnect(this);
}

QNetworkReply* LightBanner::fetch(const QUrl& url)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(kTimeoutMs);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kMaxBytes)
            reply->abort();
    });
    return reply;
}

void LightBanner::Navigate(const QString& address)
{
    const QUrl url(address);
    const int navigation = ++m_navigation;
    if (!IsWeb(url))
        return;
    QNetworkReply* reply = fetch(url);
    connect(reply, &QNetworkReply::finished, this, [this, reply, navigation] {
        reply->deleteLater();
        if (navigation == m_navigation)
            pageArrived(reply);
    });
}

void LightBanner::pageArrived(QNetworkReply* reply)
{
    if (reply->error() != QNetworkReply::NoError)
        return;   // no network, no server: the banner stays black
    const QByteArray bytes = reply->readAll();
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    m_base = reply->url();
    const QString text = decoder.decode(bytes);
    const BannerHtml page = BannerHtml::FromPage(text);
    m_html = page.html;
    m_images.clear();
    m_imagesPending = 0;
    m_decoding.clear();   // abandoned: their threads end on their own
    m_decodePoll.stop();
    m_pagePixels = 0;
    m_imageShown = false;
    for (const QString& src : page.images)
        fetchImage(m_base.resolved(QUrl(src)));
    setHtml(m_html);
}

QVariant LightBanner::loadResource(int type, const QUrl& name)
{
    // Images of the page only: never the local files QTextBrowser would
    // read by default, nor style sheets.
    if (type != QTextDocument::ImageResource)
        return {};
    const QImage image = m_images.value(m_base.resolved(name));
    return image.isNull() ? QVariant() : QVariant(image);
}

void LightBanner::fetchImage(const QUrl& url)
{
    if (!IsWeb(url) || m_images.contains(url) || m_images.size() >= kMaxResources)
        return;
    m_images.insert(url, QImage());
    ++m_imagesPending;
    QNetworkReply* reply = fetch(url);
    const int navigation = m_navigation;
    connect(reply, &QNetworkReply::finished, this, [this, reply, url, navigation] {
        reply->deleteLater();
        if (navigation == m_navigation)
            imageArrived(reply, url);
    });
}

void LightBanner::imageArrived(QNetworkReply* reply, const QUrl& url)
{
    std::shared_ptr<ImageDecode> decode;
    if (reply->error() == QNetworkReply::NoError)
        decode = ImageDecode::Start(reply->readAll());
    if (!decode) {
        imageDone();
        return;
    }
    m_decoding.push_back(Decoding{url, std::move(decode), {}});
    m_decoding.back().started.start();
    m_decodePoll.start();
}

void LightBanner::collectDecodes()
{
    // Swapped out first: imageDone() may lay the page out.
    std::vector<Decoding> finished;
    for (auto it = m_decoding.begin(); it != m_decoding.end();) {
        if (it->decode->done() || it->started.hasExpired(kDecodeMs)) {
            finished.push_back(std::move(*it));
            it = m_decoding.erase(it);
        } else {
            ++it;
        }
    }
    if (m_decoding.empty())
        m_decodePoll.stop();
    for (Decoding& d : finished) {
        // One past its time is left to finish unheard.
        QImage image = d.decode->done() ? d.decode->take() : QImage();
        const qint64 pixels = qint64(image.width()) * image.height();
        if (!image.isNull() && m_pagePixels + pixels <= kMaxPagePixels) {
            m_pagePixels += pixels;
            m_images.insert(d.url, std::move(image));
            m_imageShown = true;
        }
        imageDone();
    }
}

void LightBanner::imageDone()
{
    --m_imagesPending;
    // Once, with every image there is.
    if (m_imagesPending == 0 && m_imageShown)
        setHtml(m_html);
}

void LightBanner::openLink(const QUrl& link)
{
    OpenWebLink(m_shell, m_base.resolved(link));
}

} // namespace zerva
