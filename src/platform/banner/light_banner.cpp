#include "platform/banner/light_banner.h"

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
    m_html = decoder.decode(bytes);
    m_resources.clear();
    setHtml(m_html);
}

QVariant LightBanner::loadResource(int type, const QUrl& name)
{
    // Never the local files QTextBrowser would read by default: a remote
    // page gets remote resources only.
    if (type != QTextDocument::ImageResource && type != QTextDocument::StyleSheetResource)
        return {};
    const QUrl url = m_base.resolved(name);
    if (!IsWeb(url))
        return {};
    const auto known = m_resources.constFind(url);
    if (known != m_resources.cend())
        return known->isEmpty() ? QVariant() : QVariant(*known);
    if (m_resources.size() >= kMaxResources)
        return {};
    m_resources.insert(url, QByteArray());
    QNetworkReply* reply = fetch(url);
    const int navigation = m_navigation;
    connect(reply, &QNetworkReply::finished, this, [this, reply, url, navigation] {
        reply->deleteLater();
        if (navigation == m_navigation)
            resourceArrived(reply, url);
    });
    return {};
}

void LightBanner::resourceArrived(QNetworkReply* reply, const QUrl& url)
{
    if (reply->error() != QNetworkReply::NoError)
        return;
    const QByteArray bytes = reply->readAll();
    if (bytes.isEmpty())
        return;
    m_resources.insert(url, bytes);
    // Lay the page out again; this time the resource is at hand.
    setHtml(m_html);
}

void LightBanner::openLink(const QUrl& link)
{
    OpenWebLink(m_shell, m_base.resolved(link));
}

} // namespace zerva
