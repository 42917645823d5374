#pragma once

#include <QHostAddress>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

// A web server on 127.0.0.1 for end-to-end tests: answers every GET with a small page that the
// browser must not cache, and records the path of each page a browser really asked for (its
// icon requests aside), and of each page that was shown: the page's own script reports each
// time it has loaded. Runs on the test's event loop.
class LocalWebServer {
public:
    LocalWebServer() {
        if (!server_.listen(QHostAddress::LocalHost))
            qFatal("the local web server cannot listen");
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { accept(); });
    }

    QString address(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }
    // The paths asked for, in order, e.g. "/page/3".
    QStringList requestedPaths() const { return requested_; }
    // The paths of the pages shown, in the order their reports came.
    QStringList shownPaths() const { return shown_; }

private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket,
                             [this, socket] { answer(*socket); });
        }
    }

    void answer(QTcpSocket& socket) {
        QByteArray& request = pending_[&socket];
        request += socket.readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> firstLine = request.left(request.indexOf("\r\n")).split(' ');
        pending_.remove(&socket);
        const QString path = QString::fromUtf8(firstLine.value(1));
        if (path.startsWith(shownReport))
            shown_.append(path.mid(shownReport.size()));
        else if (!path.startsWith(QStringLiteral("/favicon")))
            requested_.append(path);
        const QByteArray body = "<!DOCTYPE html><html><head><title>" + path.toUtf8() +
                                "</title></head><body>" + path.toUtf8() + "<script>fetch('" +
                                shownReport.toUtf8() +
                                "' + location.pathname, {cache: 'no-store'})</script>"
                                "</body></html>";
        socket.write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nCache-Control: no-store\r\n"
                     "Connection: close\r\nContent-Length: " +
                     QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket.disconnectFromHost();
    }

    static inline const QString shownReport = QStringLiteral("/shown");

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> pending_;
    QStringList requested_;
    QStringList shown_;
};
