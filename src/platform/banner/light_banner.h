#pragma once

#include "platform/banner/banner.h"

#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QTimer>
#include <QTextBrowser>
#include <QUrl>

#include <memory>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

namespace zerva {

class ImageDecode;

// The default banner control: fetches the page with Qt Network and shows
// what a banner needs of it (text, links, images; see BannerHtml) as rich
// text. Far lighter than a full browser for a banner of a few dozen pixels.
// Black until a page has arrived, and black for good when none does.
//
// However hostile the page, the window stays responsive: the page is cut
// down to bounded, flat HTML in one linear pass, it is laid out once when it
// arrives and once more when all its images are in (not once per image), and
// an image is decoded away from this thread (see ImageDecode), within a
// time budget per image and a pixel budget per page; an image past either
// is left out and the page shows without it.
class LightBanner : public QTextBrowser, public Banner {
    Q_OBJECT
public:
    // Limits on what a page may make us fetch and keep.
    static constexpr qint64 kMaxBytes = 1024 * 1024;
    static constexpr int kMaxResources = 32;
    static constexpr int kTimeoutMs = 30 * 1000;
    static constexpr int kDecodeMs = 1000;
    static constexpr qint64 kMaxPagePixels = 4 * 1024 * 1024;

    LightBanner(QWidget* parent, Shell* shell);
    ~LightBanner() override;

    QWidget* widget() override { return this; }
    void Navigate(const QString& address) override;

    QVariant loadResource(int type, const QUrl& name) override;

    // The address the shown page came from, after redirects (empty before).
    QUrl pageUrl() const { return m_base; }

private:
    QNetworkReply* fetch(const QUrl& url);
    void pageArrived(QNetworkReply* reply);
    void fetchImage(const QUrl& url);
    void imageArrived(QNetworkReply* reply, const QUrl& url);
    void collectDecodes();
    void imageDone();
    void openLink(const QUrl& link);

    Shell* m_shell;
    QNetworkAccessManager* m_network;
    QUrl m_base;
    QString m_html;
    // The page's images by absolute address; a null image is on its way or
    // failed.
    QHash<QUrl, QImage> m_images;
    int m_imagesPending = 0;
    struct Decoding {
        QUrl url;
        std::shared_ptr<ImageDecode> decode;
        QElapsedTimer started;
    };
    std::vector<Decoding> m_decoding;
    QTimer m_decodePoll;
    qint64 m_pagePixels = 0;
    bool m_imageShown = false;
    int m_navigation = 0;
};

} // namespace zerva
