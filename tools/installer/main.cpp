// kelvora-installer FICHIER.deb FICHIER.deb.sig: installs a Kelvora update as root (started through
// pkexec).
//
// This program reads no environment variable: every path it uses is fixed in Settings, so
// neither the caller's environment (pkexec cleans it, sudo may keep some) nor a setuid bit set by
// mistake can point it at another folder or command. The tests build their own main, outside
// this folder, to redirect those paths.
#include "tools/installer/installer.h"

int main(int argc, char** argv)
{
    return kelvora::installer::runInstaller(argc, argv, kelvora::installer::Settings{});
}
