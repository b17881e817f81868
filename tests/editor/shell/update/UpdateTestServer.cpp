#include "UpdateTestServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace kfm::test {

UpdateTestServer::UpdateTestServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, &UpdateTestServer::onConnection);
}

QByteArray UpdateTestServer::response(const QByteArray& body, int status, bool withContentLength) {
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) +
                      (status == 200 ? " OK" : " Error") + "\r\nContent-Type: text/plain\r\n";
    if (withContentLength)
        head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    return head + body;
}

void UpdateTestServer::onConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        struct Request {
            QByteArray bytes;
            bool seen = false;
        };
        auto request = std::make_shared<Request>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
            request->bytes += socket->readAll();
            if (!request->bytes.contains("\r\n\r\n") || request->seen)
                return;
            request->seen = true;
            lastRequest_ = request->bytes;
            requestLines_.push_back(lastRequest_.left(lastRequest_.indexOf("\r\n")));
            if (silent_)
                return;
            // Each piece goes out from its own turn of the event loop.
            const QByteArray bytes = response_;
            const int pieces = std::max(1, pieces_);
            const qsizetype size = (bytes.size() + pieces - 1) / pieces;
            QPointer<QTcpSocket> guarded(socket);
            for (int i = 0; i < pieces; ++i)
                QTimer::singleShot(i * 5, this, [guarded, part = bytes.mid(i * size, size)] {
                    if (guarded)
                        guarded->write(part);
                });
            QTimer::singleShot(pieces * 5 + 5, this, [guarded] {
                if (guarded)
                    guarded->disconnectFromHost();
            });
        });
    }
}

} // namespace kfm::test
