// The HTTP transport over Qt's QNetworkAccessManager, the module's whole content.
#include "network/no_cookie_jar.h"
#include "update/http_transport.h"

#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QUrl>

namespace kelvora::net
{

namespace
{

class QtHttpReply final : public HttpReply
{
public:
    QtHttpReply(QNetworkReply* reply, HttpEvents events)
        : reply_(reply), events_(std::move(events)), context_(std::make_unique<QObject>())
    {
        QObject::connect(reply, &QNetworkReply::metaDataChanged, context_.get(),
                         [this] { raise(events_.headReceived); });
        QObject::connect(reply, &QNetworkReply::readyRead, context_.get(),
                         [this] { raise(events_.readyRead); });
        QObject::connect(reply, &QNetworkReply::finished, context_.get(),
                         [this] { raise(events_.finished); });
    }

    ~QtHttpReply() override
    {
        context_.reset(); // no event from here on, not even the abort's
        if (!reply_)
            return; // its manager went first and took it along
        if (!reply_->isFinished())
            reply_->abort();
        // It may be the very reply whose signal is being handled.
        reply_->deleteLater();
    }

    QtHttpReply(const QtHttpReply&) = delete;
    QtHttpReply& operator=(const QtHttpReply&) = delete;

    int status() const override
    {
        return reply_ ? reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() : 0;
    }
    QByteArray rawHeader(const QByteArray& name) const override
    {
        return reply_ ? reply_->rawHeader(name) : QByteArray();
    }
    std::optional<qint64> contentLength() const override
    {
        const QVariant length =
            reply_ ? reply_->header(QNetworkRequest::ContentLengthHeader) : QVariant();
        if (!length.isValid())
            return std::nullopt;
        return length.toLongLong();
    }
    qint64 bytesAvailable() const override { return reply_ ? reply_->bytesAvailable() : 0; }
    QByteArray read(qint64 maxBytes) override
    {
        return reply_ ? reply_->read(maxBytes) : QByteArray();
    }
    QByteArray readAll() override { return reply_ ? reply_->readAll() : QByteArray(); }
    bool isFinished() const override { return !reply_ || reply_->isFinished(); }
    // The handler of `finished` may delete this object: nothing of it is touched afterwards.
    void abort() override
    {
        if (reply_)
            reply_->abort();
    }
    bool failed() const override { return !reply_ || reply_->error() != QNetworkReply::NoError; }
    QString errorString() const override
    {
        return reply_ ? reply_->errorString() : QStringLiteral("Requête abandonnée");
    }

private:
    // A copy runs, so that a handler may delete this object and its callbacks with it.
    static void raise(const std::function<void()>& event)
    {
        if (const std::function<void()> run = event)
            run();
    }

    QPointer<QNetworkReply> reply_;
    HttpEvents events_;
    std::unique_ptr<QObject> context_;
};

class QtHttpTransport final : public HttpTransport
{
public:
    QtHttpTransport()
    {
        manager_.setCookieJar(new NoCookieJar(&manager_));
        // Many practices reach the internet only through the system's proxy.
        QNetworkProxyFactory::setUseSystemConfiguration(true);
    }

    std::unique_ptr<HttpReply> get(const HttpRequest& request, HttpEvents events) override
    {
        return std::make_unique<QtHttpReply>(manager_.get(qtRequest(request)), std::move(events));
    }

    std::unique_ptr<HttpReply> post(const HttpRequest& request, const QByteArray& body,
                                    HttpEvents events) override
    {
        return std::make_unique<QtHttpReply>(manager_.post(qtRequest(request), body),
                                             std::move(events));
    }

private:
    static QNetworkRequest qtRequest(const HttpRequest& request)
    {
        QNetworkRequest qt{QUrl(request.url)};
        // Qt takes the known header only as a QString; the raw header sends the bytes as they are.
        qt.setRawHeader(QByteArrayLiteral("User-Agent"), request.agent);
        for (const auto& [name, value] : request.headers)
            qt.setRawHeader(name, value);
        qt.setMaximumRedirectsAllowed(request.maxRedirects);
        if (request.transferTimeoutMs > 0)
            qt.setTransferTimeout(request.transferTimeoutMs);
        return qt;
    }

    QNetworkAccessManager manager_;
};

} // namespace

} // namespace kelvora::net

extern "C" __attribute__((visibility("default"))) kelvora::net::HttpTransport*
kelvora_network_create_transport(int version)
{
    if (version != kelvora::net::kHttpTransportVersion)
        return nullptr;
    return new kelvora::net::QtHttpTransport();
}
