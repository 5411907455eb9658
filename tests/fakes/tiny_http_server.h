#pragma once

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

namespace zerva::test {

// Just enough of an HTTP/1.0 server on 127.0.0.1 for a browser control to
// fetch pages from: GET only, one request per connection, 404 for paths it
// does not know.
class TinyHttpServer : public QTcpServer {
public:
    struct Page {
        QByteArray contentType;
        QByteArray body;
    };
    QHash<QByteArray, Page> pages;
    QStringList requested;   // paths, in the order asked for

    TinyHttpServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection())
                serve(socket);
        });
    }

    QString url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }

private:
    void serve(QTcpSocket* socket)
    {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            const QByteArray head = socket->peek(8192);
            if (!head.contains("\r\n\r\n"))
                return;
            socket->readAll();
            const QByteArray path = head.split(' ').value(1);
            requested << QString::fromLatin1(path);
            const auto page = pages.constFind(path);
            QByteArray response;
            if (page == pages.cend()) {
                response = "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            } else {
                response = "HTTP/1.0 200 OK\r\nContent-Type: " + page->contentType
                    + "\r\nContent-Length: " + QByteArray::number(page->body.size())
                    + "\r\nConnection: close\r\n\r\n" + page->body;
            }
            socket->write(response);
            socket->disconnectFromHost();
        });
    }
};

} // namespace zerva::test
