#pragma once

#include "platform/banner/banner.h"

#include <QHash>
#include <QTextBrowser>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace zerva {

// The default banner control: fetches the page with Qt Network and shows
// its HTML as rich text, images and style sheets included. Far lighter than
// a full browser for a banner of a few dozen pixels. Black until a page has
// arrived, and black for good when none does.
class LightBanner : public QTextBrowser, public Banner {
    Q_OBJECT
public:
    // Limits on what a page may make us fetch and keep.
    static constexpr qint64 kMaxBytes = 1024 * 1024;
    static constexpr int kMaxResources = 32;
    static constexpr int kTimeoutMs = 30 * 1000;

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
    void resourceArrived(QNetworkReply* reply, const QUrl& url);
    void openLink(const QUrl& link);

    Shell* m_shell;
    QNetworkAccessManager* m_network;
    QUrl m_base;
    QString m_html;
    // Fetched images and style sheets by absolute address; an entry without
    // data is on its way or failed.
    QHash<QUrl, QByteArray> m_resources;
    int m_navigation = 0;
};

} // namespace zerva
