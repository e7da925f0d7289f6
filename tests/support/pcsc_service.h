// The real smart-card service of the test's own: Debian's pcscd in the foreground, with the
// virtual reader driver of vsmartcard-vpcd on free ports, and the card emulator vicc.
//
// Debian 12's pcscd (1.9.9) always listens on /run/pcscd/pcscd.comm; only its client library
// reads PCSCLITE_CSOCK_NAME. So pcscd runs in a private mount namespace whose /run is a folder
// of this test program, and the client is pointed at the socket that appears there.
// Debian 13's pcscd (2.3) asks polkit whether a client may connect, and this test's client is not
// in a session polkit knows: it runs with --disable-polkit where the option exists.
#pragma once

#include "platform/pcsc_look.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kelvora::testing
{

// One folder per test program: the client library keeps the socket's name it read first.
inline const QTemporaryDir& pcscFolder()
{
    static const QTemporaryDir folder;
    return folder;
}

inline QString pcscSocket()
{
    return pcscFolder().path() + QStringLiteral("/run/pcscd/pcscd.comm");
}

// Points this process's client library at the test's socket; before the first look.
inline void usePcscSocketOfTest()
{
    QDir().mkpath(pcscFolder().path() + QStringLiteral("/run"));
    qputenv("PCSCLITE_CSOCK_NAME", QFile::encodeName(pcscSocket()));
}

// Polls the real look until `wanted` holds, for at most five seconds.
inline bool waitForLook(const std::function<bool(const SmartCardLook&)>& wanted)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        if (wanted(lookAtPcsc()))
            return true;
        QThread::msleep(50);
    }
    return false;
}

inline const QString kVirtualReader0 = QStringLiteral("Virtual PCD 00 00");
inline const QString kVirtualReader1 = QStringLiteral("Virtual PCD 00 01");

class PcscService
{
public:
    enum class Readers { None, Virtual };

    explicit PcscService(Readers readers)
    {
        const QString conf = pcscFolder().path() + QStringLiteral("/reader.conf.d");
        QDir(conf).removeRecursively();
        QDir().mkpath(conf);
        if (readers == Readers::Virtual) {
            port_ = freePortPair();
            // vpcd's two slots listen on the port and the next one.
            QFile file(conf + QStringLiteral("/vpcd"));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QStringLiteral("FRIENDLYNAME \"Virtual PCD\"\nDEVICENAME /dev/null:0x%1\n"
                                      "LIBPATH /usr/lib/pcsc/drivers/serial/libifdvpcd.so\n"
                                      "CHANNELID 0x%1\n")
                           .arg(port_, 0, 16)
                           .toUtf8());
        }
        QStringList args;
        // Root keeps its own user; anyone else maps to root in a user namespace for the mount.
        if (::geteuid() != 0)
            args << QStringLiteral("--user") << QStringLiteral("--map-root-user");
        args << QStringLiteral("--mount") << QStringLiteral("--propagation")
             << QStringLiteral("private") << QStringLiteral("sh") << QStringLiteral("-c")
             << QStringLiteral("mount --bind \"$1\" /run && polkit= && "
                               "{ pcscd --help | grep -q -- --disable-polkit && "
                               "polkit=--disable-polkit || :; } && "
                               "exec pcscd --foreground $polkit -c \"$2\"")
             << QStringLiteral("sh") << pcscFolder().path() + QStringLiteral("/run") << conf;
        pcscd_.setProcessChannelMode(QProcess::MergedChannels);
        pcscd_.start(QStringLiteral("unshare"), args);
        EXPECT_TRUE(pcscd_.waitForStarted());
        const std::size_t expected = readers == Readers::Virtual ? 2 : 0;
        EXPECT_TRUE(waitForLook([expected](const SmartCardLook& look) {
            return look.service == SmartCardLook::Service::Running &&
                   look.readers.size() == expected;
        })) << "pcscd: "
            << pcscd_.readAll().toStdString();
    }

    ~PcscService()
    {
        for (QProcess* process : {&vicc_, &pcscd_}) {
            if (process->state() == QProcess::NotRunning)
                continue;
            process->terminate();
            if (!process->waitForFinished(3000)) {
                process->kill();
                process->waitForFinished(3000);
            }
        }
        QFile::remove(pcscSocket());
    }
    PcscService(const PcscService&) = delete;
    PcscService& operator=(const PcscService&) = delete;

    // A card in the first virtual reader: vicc connects to it and the service sees the card.
    void insertCard()
    {
        // Debian 12's vicc finds neither its own modules nor PyCryptodome under the names it
        // imports: both are given to it here, from where their packages put them.
        const QString shim = pcscFolder().path() + QStringLiteral("/python");
        QDir().mkpath(shim);
        QFile::link(QStringLiteral("/usr/lib/python3/dist-packages/Cryptodome"),
                    shim + QStringLiteral("/Crypto"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PYTHONPATH"),
                   shim + QStringLiteral(":/usr/lib/python3/site-packages/virtualsmartcard:"
                                         "/usr/lib/python3/dist-packages/virtualsmartcard"));
        vicc_.setProcessEnvironment(env);
        vicc_.setProcessChannelMode(QProcess::MergedChannels);
        vicc_.start(QStringLiteral("vicc"),
                    {QStringLiteral("--hostname"), QStringLiteral("127.0.0.1"),
                     QStringLiteral("--port"), QString::number(port_)});
        EXPECT_TRUE(vicc_.waitForStarted());
        EXPECT_TRUE(waitForLook([](const SmartCardLook& look) {
            return !look.readers.empty() && look.readers.front().cardPresent;
        })) << "vicc: "
            << vicc_.readAll().toStdString();
    }

private:
    // Two consecutive TCP ports nothing listens on now.
    static int freePortPair()
    {
        for (int attempt = 0; attempt < 20; ++attempt) {
            const int first = bound(0);
            if (first > 0 && first < 65535 && bound(first + 1) > 0)
                return first;
        }
        ADD_FAILURE() << "no free port pair";
        return 35963;
    }
    // Binds then closes a socket on `port` (0: any); the port it got, or -1.
    static int bound(int port)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        address.sin_port = htons(quint16(port));
        socklen_t length = sizeof address;
        int got = -1;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            got = ntohs(address.sin_port);
        ::close(fd);
        return got;
    }

    int port_ = 0;
    QProcess pcscd_;
    QProcess vicc_;
};

} // namespace kelvora::testing
