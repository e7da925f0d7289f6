// The network module (libkelvora_network.so), loaded from the running program's own folder the
// first time a transfer needs it, so that a start never loads Qt Network. A module missing or of
// another build fails the transfer with a French message, as a network failure does.
#pragma once

#include "update/http_transport.h"

#include <QString>
#include <memory>

namespace kelvora
{

class SharedObject;

inline constexpr char kNetworkModuleFileName[] = "libkelvora_network.so";

class NetworkModule
{
public:
    // Exactly this file; nothing is loaded before the first createTransport().
    explicit NetworkModule(QString path);
    ~NetworkModule();
    NetworkModule(const NetworkModule&) = delete;
    NetworkModule& operator=(const NetworkModule&) = delete;

    // The module beside the running program (its real file, links resolved); never a search
    // path or the environment, whose libraries would run with the user's data.
    static QString besideProgram();
    // The process's module, beside the program.
    static NetworkModule& shared();

    // A new transport, the module loaded first if it is not yet; nullptr, with errorString()
    // saying why, when it cannot be.
    std::unique_ptr<net::HttpTransport> createTransport();

    bool loaded() const { return factory_ != nullptr; }
    const QString& path() const { return path_; }
    // Why the last load or creation failed, for the user.
    const QString& errorString() const { return error_; }

private:
    bool load();

    QString path_;
    std::unique_ptr<SharedObject> handle_;
    net::TransportFactory factory_ = nullptr;
    QString error_;
};

} // namespace kelvora
