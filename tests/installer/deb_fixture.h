// Small update files made by the tests: real Debian packages built with dpkg-deb, hand-made ar
// archives, whole-file reads and writes.
#pragma once

#include "support/temp_folder.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>

namespace kelvora::testing
{

inline std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

// A package holding one file, built into `folder` as `<package>_<version>.deb`.
inline std::filesystem::path buildDeb(const std::filesystem::path& folder,
                                      const std::string& package, const std::string& version)
{
    namespace fs = std::filesystem;
    const std::string stem = package + "_" + version;
    const fs::path tree = folder / (stem + ".tree");
    fs::create_directories(tree / "DEBIAN");
    fs::create_directories(tree / "usr/share/doc" / package);
    // dpkg-deb wants the control folder 0755 whatever the umask or mkdtemp gave.
    fs::permissions(tree / "DEBIAN", fs::perms(0755));
    writeFile(tree / "DEBIAN/control", "Package: " + package + "\nVersion: " + version +
                                           "\nArchitecture: all\nMaintainer: Tests "
                                           "<tests@kelvora.invalid>\nDescription: test package\n");
    writeFile(tree / "usr/share/doc" / package / "README", stem + "\n");
    const fs::path deb = folder / (stem + ".deb");
    const CommandResult built =
        runCommand("dpkg-deb --root-owner-group -Zgzip --build " + shellQuote(tree.string()) + " " +
                   shellQuote(deb.string()));
    if (built.exitCode != 0)
        throw std::runtime_error("dpkg-deb --build failed: " + built.output);
    fs::remove_all(tree);
    return deb;
}

// An ar archive with one member, in the common (System V / GNU) layout.
inline std::string arArchive(const std::string& memberName, const std::string& data)
{
    std::ostringstream header;
    header.setf(std::ios::left);
    header.width(16);
    header << memberName;
    header.width(12);
    header << "0";
    header.width(6);
    header << "0";
    header.width(6);
    header << "0";
    header.width(8);
    header << "100644";
    header.width(10);
    header << data.size();
    return "!<arch>\n" + header.str() + "`\n" + data;
}

} // namespace kelvora::testing
