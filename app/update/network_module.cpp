#include "update/network_module.h"

#include "common/shared_object.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kelvora
{

NetworkModule::NetworkModule(QString path) : path_(std::move(path)) {}

NetworkModule::~NetworkModule() = default;

QString NetworkModule::besideProgram()
{
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QDir(QFileInfo(program).absolutePath())
        .filePath(QString::fromLatin1(kNetworkModuleFileName));
}

NetworkModule& NetworkModule::shared()
{
    static NetworkModule module(besideProgram());
    return module;
}

bool NetworkModule::load()
{
    if (loaded())
        return true;
    error_.clear();
    std::string reason;
    // Kept in memory once closed: Qt Network keeps threads and exit routines of its own.
    std::unique_ptr<SharedObject> opened =
        SharedObject::open(QFile::encodeName(path_).toStdString(), reason, true);
    if (!opened) {
        error_ = QStringLiteral("Module réseau introuvable : %1 (%2)")
                     .arg(path_, QString::fromLocal8Bit(reason));
        return false;
    }
    const auto factory =
        reinterpret_cast<net::TransportFactory>(opened->symbol(net::kTransportFactoryName));
    if (factory == nullptr) {
        error_ = QStringLiteral("Module réseau incompatible : %1 (fonction %2 absente)")
                     .arg(path_, QString::fromLatin1(net::kTransportFactoryName));
        return false;
    }
    handle_ = std::move(opened);
    factory_ = factory;
    return true;
}

std::unique_ptr<net::HttpTransport> NetworkModule::createTransport()
{
    if (!load())
        return nullptr;
    std::unique_ptr<net::HttpTransport> transport(factory_(net::kHttpTransportVersion));
    if (!transport)
        error_ = QStringLiteral("Module réseau incompatible : %1 (version d'une autre "
                                "installation)")
                     .arg(path_);
    return transport;
}

} // namespace kelvora
