// A small HTTP(S) server on 127.0.0.1 for the update tests. It records every request and
// lets each test answer as it likes, also not at all or only in part.
#pragma once

#include <QFile>
#include <QHash>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <memory>

namespace kelvora::testing
{

struct HttpRequest {
    QByteArray method;
    QByteArray path;
    QHash<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
};

class LoopbackServer : public QObject
{
public:
    using Responder = std::function<void(const HttpRequest&, QTcpSocket*)>;

    enum class Kind { Http, HttpsSelfSigned };

    explicit LoopbackServer(Kind kind = Kind::Http)
    {
        if (kind == Kind::Http) {
            server_ = std::make_unique<QTcpServer>();
        } else {
            auto ssl = std::make_unique<QSslServer>();
            QSslConfiguration config = QSslConfiguration::defaultConfiguration();
            config.setLocalCertificate(QSslCertificate(readFixture("selfsigned.crt")));
            config.setPrivateKey(QSslKey(readFixture("selfsigned.key"), QSsl::Rsa));
            ssl->setSslConfiguration(config);
            server_ = std::move(ssl);
        }
        QObject::connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this,
                         [this] { accept(); });
        server_->listen(QHostAddress(QStringLiteral("127.0.0.1")));
    }

    Responder respond = [](const HttpRequest&, QTcpSocket* socket) { answer(socket, 200, ""); };
    QList<HttpRequest> requests;
    int connections = 0;

    QString url(const QString& path) const
    {
        const QString scheme = qobject_cast<QSslServer*>(server_.get()) ? QStringLiteral("https")
                                                                        : QStringLiteral("http");
        return QStringLiteral("%1://127.0.0.1:%2%3")
            .arg(scheme)
            .arg(server_->serverPort())
            .arg(path);
    }

    // A whole answer, after which the connection closes.
    static void answer(QTcpSocket* socket, int status, const QByteArray& body,
                       const QByteArray& extraHeaders = {})
    {
        socket->write(head(status, body.size(), extraHeaders) + body);
        socket->disconnectFromHost();
    }

    static QByteArray head(int status, qint64 length, const QByteArray& extraHeaders = {})
    {
        return "HTTP/1.1 " + QByteArray::number(status) +
               " X\r\nContent-Length: " + QByteArray::number(length) + "\r\nConnection: close\r\n" +
               extraHeaders + "\r\n";
    }

private:
    static QByteArray readFixture(const char* name)
    {
        QFile f(QStringLiteral(KELVORA_FIXTURES "/") + QLatin1String(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void accept()
    {
        while (QTcpSocket* socket = server_->nextPendingConnection()) {
            ++connections;
            socket->setParent(this);
            QObject::connect(socket, &QTcpSocket::readyRead, this,
                             [this, socket] { read(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                buffers_.remove(socket);
                socket->deleteLater();
            });
        }
    }

    void read(QTcpSocket* socket)
    {
        QByteArray& buffer = buffers_[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        HttpRequest request;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        const QList<QByteArray> first = lines.first().trimmed().split(' ');
        request.method = first.value(0);
        request.path = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                       lines[i].mid(colon + 1).trimmed());
        }
        const qsizetype length = request.headers.value("content-length").toLongLong();
        if (buffer.size() < end + 4 + length)
            return;
        request.body = buffer.mid(end + 4, length);
        buffers_.remove(socket);
        requests.append(request);
        respond(request, socket);
    }

    std::unique_ptr<QTcpServer> server_;
    QHash<QTcpSocket*, QByteArray> buffers_;
};

} // namespace kelvora::testing
