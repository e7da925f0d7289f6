// What the update check and the downloads ask of the network, behind plain classes: the
// module that implements them (libkelvora_network.so) alone links Qt Network, so the programs
// load it only when they first go online. Events are plain callbacks: no signal, no cast
// crosses the module's boundary.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace kelvora::net
{

// Raised whenever the interface below changes, so a module of another build is refused.
inline constexpr int kHttpTransportVersion = 1;

struct HttpRequest {
    QString url;
    QByteArray agent;
    // Further headers, in order (Accept, Content-Type...).
    std::vector<std::pair<QByteArray, QByteArray>> headers;
    // Redirections followed at most; 0 follows none.
    int maxRedirects = 0;
    // The transfer fails when no data moves for that long; 0 waits forever.
    int transferTimeoutMs = 0;
};

struct HttpEvents {
    // The answer's head is in (status and headers), perhaps again after a redirection.
    std::function<void()> headReceived;
    // Body bytes wait to be read.
    std::function<void()> readyRead;
    // Once, after the last byte, an error or abort().
    std::function<void()> finished;
};

// One request's answer. Deleting it abandons the request; no event follows.
class HttpReply
{
public:
    virtual ~HttpReply() = default;

    // The HTTP status, 0 before the head or without one.
    virtual int status() const = 0;
    // The raw value of a header of the answer, empty when absent.
    virtual QByteArray rawHeader(const QByteArray& name) const = 0;
    // Content-Length as a number; nullopt when absent or not a number.
    virtual std::optional<qint64> contentLength() const = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual QByteArray read(qint64 maxBytes) = 0;
    virtual QByteArray readAll() = 0;
    virtual bool isFinished() const = 0;
    // Ends the request now; finished follows, as a failure.
    virtual void abort() = 0;
    // Whether it ended on an error (network, TLS, time-out, HTTP error status, abort).
    virtual bool failed() const = 0;
    virtual QString errorString() const = 0;
};

// One connection manager: no cookie is kept, the system's proxy is used.
class HttpTransport
{
public:
    virtual ~HttpTransport() = default;

    virtual std::unique_ptr<HttpReply> get(const HttpRequest& request, HttpEvents events) = 0;
    virtual std::unique_ptr<HttpReply> post(const HttpRequest& request, const QByteArray& body,
                                            HttpEvents events) = 0;
};

// The module's one export, by this name: a new transport, owned by the caller, or nullptr when
// `version` is not the interface the module was built with.
inline constexpr char kTransportFactoryName[] = "kelvora_network_create_transport";
using TransportFactory = HttpTransport* (*)(int version);

} // namespace kelvora::net

extern "C" kelvora::net::HttpTransport* kelvora_network_create_transport(int version);
