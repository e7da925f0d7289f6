#include "update/network_module.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>

namespace kelvora
{

// The dlopen handle. RTLD_NODELETE: Qt Network keeps threads and exit routines of its own, so
// its code stays mapped until the process ends, whatever is closed before.
class NetworkModule::Handle
{
public:
    explicit Handle(void* handle) : handle_(handle) {}
    ~Handle() { dlclose(handle_); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    void* symbol(const char* name) const { return dlsym(handle_, name); }

private:
    void* handle_;
};

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
    void* handle =
        dlopen(QFile::encodeName(path_).constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error_ = QStringLiteral("Module réseau introuvable : %1 (%2)")
                     .arg(path_, reason != nullptr ? QString::fromLocal8Bit(reason)
                                                   : QStringLiteral("chargement impossible"));
        return false;
    }
    auto opened = std::make_unique<Handle>(handle);
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
