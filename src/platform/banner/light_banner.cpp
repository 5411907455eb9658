#include "platform/banner/light_banner.h"

#include "platform/banner/banner_html.h"
#include "platform/banner/shell_link.h"

#include <QBuffer>
#include <QImageReader>
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
    --m_imagesPending;
    if (reply->error() == QNetworkReply::NoError) {
        QByteArray bytes = reply->readAll();
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        // Decoding costs what the declared size says, not what was sent.
        const QSize size = reader.size();
        if (size.isValid() && size.width() <= BannerHtml::kMaxImagePx && size.height() <= BannerHtml::kMaxImagePx) {
            const QImage image = reader.read();
            if (!image.isNull()) {
                m_images.insert(url, image);
                m_imageShown = true;
            }
        }
    }
    // Once, with every image there is.
    if (m_imagesPending == 0 && m_imageShown)
        setHtml(m_html);
}

void LightBanner::openLink(const QUrl& link)
{
    OpenWebLink(m_shell, m_base.resolved(link));
}

} // namespace zerva
