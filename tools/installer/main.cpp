// kelvora-installer: brings Kelvora up to date as root, through apt (started by pkexec).
//
// This program reads no environment variable and takes no argument: every path and address it
// uses is compiled in (Settings::installed), so neither the caller's environment (pkexec cleans
// it, sudo may keep some) nor a setuid bit set by mistake can point it at another repository,
// folder or command. The tests build their own main, outside this folder, to redirect them.
#include "tools/installer/installer.h"

int main(int argc, char** argv)
{
    return kelvora::installer::runInstaller(argc, argv, kelvora::installer::Settings::installed());
}
