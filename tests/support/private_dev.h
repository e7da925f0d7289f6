// A private mount namespace with its own /dev (a small tmpfs holding the usual devices), so a
// test may write or replace /dev/null without touching the machine's /dev. Root only: the
// devices are made with mknod, which a user namespace does not allow.
#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <unistd.h>

namespace kelvora::testing
{

// The mount namespace of this process, as /proc names it (« mnt:[4026531841] »).
inline QString currentMountNamespace()
{
    char buffer[64] = {};
    const ssize_t n = ::readlink("/proc/self/ns/mnt", buffer, sizeof buffer - 1);
    return n > 0 ? QString::fromLatin1(buffer, int(n)) : QString();
}

// The arguments of `unshare` that run `command` with a private /dev. The script refuses to
// mount anything unless its mount namespace differs from the caller's.
inline QStringList privateDevArguments(const QStringList& command)
{
    static const char kScript[] = "set -e\n"
                                  "[ \"$(readlink /proc/self/ns/mnt)\" != \"$1\" ] || "
                                  "{ echo 'espace de montage non privé' >&2; exit 97; }\n"
                                  "shift\n"
                                  "mount -t tmpfs -o mode=0755,size=1m kelvora-dev /dev\n"
                                  "mknod -m 666 /dev/null c 1 3\n"
                                  "mknod -m 666 /dev/zero c 1 5\n"
                                  "mknod -m 666 /dev/full c 1 7\n"
                                  "mknod -m 666 /dev/random c 1 8\n"
                                  "mknod -m 666 /dev/urandom c 1 9\n"
                                  "ln -s /proc/self/fd /dev/fd\n"
                                  "ln -s /proc/self/fd/0 /dev/stdin\n"
                                  "ln -s /proc/self/fd/1 /dev/stdout\n"
                                  "ln -s /proc/self/fd/2 /dev/stderr\n"
                                  "exec \"$@\"\n";
    return QStringList{QStringLiteral("--mount"), QStringLiteral("--propagation"),
                       QStringLiteral("private"), QStringLiteral("sh"),
                       QStringLiteral("-c"),      QString::fromUtf8(kScript),
                       QStringLiteral("sh"),      currentMountNamespace()} +
           command;
}

// Why a private /dev cannot be made here; empty when it can.
inline QString privateDevUnavailable()
{
    if (::geteuid() != 0)
        return QStringLiteral("un /dev privé demande root (mknod)");
    QProcess probe;
    probe.start(QStringLiteral("unshare"),
                {QStringLiteral("--mount"), QStringLiteral("--propagation"),
                 QStringLiteral("private"), QStringLiteral("true")});
    if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit ||
        probe.exitCode() != 0)
        return QStringLiteral("unshare --mount indisponible ici");
    return {};
}

} // namespace kelvora::testing
