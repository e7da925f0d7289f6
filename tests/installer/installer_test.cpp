// kelvora-installer run as root on files a user could hand it. The tests' build of the helper
// keeps its work folders in a temporary root-only folder and talks to a fake dpkg-query (the
// installed version) and a fake apt-get (which keeps a copy of the file it was given); nothing
// is installed on this machine.
#include "deb_fixture.h"
#include "support/signing_key.h"
#include "tools/installer/installer.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

using kelvora::installer::ExitCode;
using kelvora::testing::arArchive;
using kelvora::testing::buildDeb;
using kelvora::testing::readFile;
using kelvora::testing::runCommand;
using kelvora::testing::shellQuote;
using kelvora::testing::SigningKey;
using kelvora::testing::TempFolder;
using kelvora::testing::writeFile;
namespace fs = std::filesystem;

std::string q(const fs::path& path)
{
    return shellQuote(path.string());
}

void writeScript(const fs::path& file, const std::string& body)
{
    writeFile(file, "#!/bin/sh\n" + body);
    fs::permissions(file, fs::perms(0755));
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

struct HelperRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The release key of these tests, made once for the whole program.
const SigningKey& releaseKey()
{
    static const SigningKey key;
    return key;
}

// One helper run's surroundings: the cache folder, the fakes and what the fake apt-get got.
class Sandbox
{
public:
    // `installed`: the version the fake dpkg-query reports; none means kelvora is not installed.
    // `removes`: what the fake apt-get's simulation (-s) says it would remove.
    explicit Sandbox(std::optional<std::string> installed = "1.09", int aptExit = 0,
                     const std::string& removes = {})
    {
        fs::create_directory(cache());
        fs::permissions(cache(), fs::perms(0700));
        writeScript(folder_ / "dpkg-query", "touch " + q(folder_ / "query-called") + "\n" +
                                                (installed ? "printf '%s' '" + *installed + "'\n"
                                                           : std::string("exit 1\n")));
        writeFile(folder_ / "simulation", "Inst kelvora (2.0 local-deb [all])\n" + removes);
        writeScript(folder_ / "apt-get",
                    "case \" $* \" in *\" -s \"*) cat " + q(folder_ / "simulation") +
                        "; exit 0;; esac\nprintf '%s\\n' \"$@\" > " + q(folder_ / "apt-args") +
                        "\nfor a in \"$@\"; do last=$a; done\ncp \"$last\" " +
                        q(folder_ / "apt-got.deb") + "\nexit " + std::to_string(aptExit) + "\n");
    }

    // Signs `package` with the release key when it is a file, and runs the helper on both.
    HelperRun runSigned(const fs::path& package, const std::string& afterCopy = {}) const
    {
        const fs::path signature = folder_ / "update.sig";
        std::error_code ec;
        if (fs::is_regular_file(package, ec))
            releaseKey().sign(package, signature);
        else
            writeFile(signature, "");
        return run(q(package) + " " + q(signature), afterCopy);
    }
    bool checkedPastTheSignature() const { return fs::exists(folder_ / "query-called"); }

    fs::path cache() const { return folder_ / "cache"; }
    fs::path inputs() const { return folder_.path(); }
    bool aptCalled() const { return fs::exists(folder_ / "apt-args"); }
    std::string aptArguments() const { return readFile(folder_ / "apt-args"); }
    std::string aptBytes() const { return readFile(folder_ / "apt-got.deb"); }
    bool cacheEmpty() const { return fs::is_empty(cache()); }

    // Runs the tests' build of the helper with `arguments` already quoted for the shell.
    HelperRun run(const std::string& arguments, const std::string& afterCopy = {}) const
    {
        std::string env = "env -i PATH=/usr/bin:/bin KELVORA_INSTALLER_CACHE=" + q(cache()) +
                          " KELVORA_INSTALLER_DPKG_QUERY=" + q(folder_ / "dpkg-query") +
                          " KELVORA_INSTALLER_APT_GET=" + q(folder_ / "apt-get") +
                          " KELVORA_INSTALLER_KEYRING=" + q(releaseKey().keyring()) +
                          " KELVORA_INSTALLER_FINGERPRINT=" + releaseKey().fingerprint();
        if (!afterCopy.empty())
            env += " KELVORA_INSTALLER_AFTER_COPY=" + q(afterCopy);
        const fs::path err = folder_ / "stderr";
        // timeout: a helper that blocks on a pipe fails the test instead of hanging it.
        const auto result = runCommand("{ timeout 60 " + env + " " + q(KELVORA_INSTALLER_SEAMS) +
                                       " " + arguments + " 2>" + q(err) + "; }");
        return {result.exitCode, result.output, readFile(err)};
    }

private:
    TempFolder folder_;
};

#define REQUIRE_ROOT()                                                                             \
    if (::geteuid() != 0)                                                                          \
    GTEST_SKIP() << "kelvora-installer works only as root; run this test as root"

// A failure reason is one French line on standard error.
void expectReason(const std::string& err, const std::string& words)
{
    EXPECT_NE(err.find(words), std::string::npos) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
}

TEST(Installer, RefusesWhatIsNotANewerKelvoraPackage)
{
    REQUIRE_ROOT();
    struct Case {
        const char* name;
        std::function<fs::path(const fs::path& inputs)> package; // signed by the release key
        ExitCode code;
        const char* words;
        fs::perms cacheMode = fs::perms(0700);
        std::optional<std::string> installed = "1.09";
        std::string removes = {};
    };
    const auto file = [](const fs::path& inputs, const std::string& bytes) {
        writeFile(inputs / "update.deb", bytes);
        return inputs / "update.deb";
    };
    const Case cases[] = {
        {"another package name",
         [](const fs::path& in) { return buildDeb(in, "kelvora-formation", "2.0"); },
         ExitCode::NotKelvora, "mise à jour de Kelvora"},
        {"lower version", [](const fs::path& in) { return buildDeb(in, "kelvora", "1.08"); },
         ExitCode::NotNewer, "n'est pas plus récente que la version installée 1.09"},
        {"equal version", [](const fs::path& in) { return buildDeb(in, "kelvora", "1.09"); },
         ExitCode::NotNewer, "n'est pas plus récente"},
        {"an epoch added", [](const fs::path& in) { return buildDeb(in, "kelvora", "99:1.0"); },
         ExitCode::EpochChanged, "change d'époque par rapport à la version installée 1.09"},
        {"an epoch raised", [](const fs::path& in) { return buildDeb(in, "kelvora", "2:1.10"); },
         ExitCode::EpochChanged, "change d'époque", fs::perms(0700), "1:0.1"},
        {"installing would remove packages",
         [](const fs::path& in) { return buildDeb(in, "kelvora", "1.10"); }, ExitCode::WouldRemove,
         "retirerait des paquets installés (cups-client, xdg-utils)", fs::perms(0700), "1.09",
         "Remv cups-client [2.4.2-3]\nRemv xdg-utils [1.1.3-4.1]\n"},
        {"Windows executable", [&](const fs::path& in) { return file(in, "MZ\x90 Windows"); },
         ExitCode::NotDebianPackage, "n'est pas un paquet Debian"},
        {"ar archive not starting with debian-binary",
         [&](const fs::path& in) { return file(in, arArchive("control.tar.gz", "x")); },
         ExitCode::NotDebianPackage, "n'est pas un paquet Debian"},
        {"package cut short",
         [&](const fs::path& in) {
             return file(in, readFile(buildDeb(in, "kelvora", "2.0")).substr(0, 200));
         },
         ExitCode::NotDebianPackage, "n'est pas un paquet Debian"},
        {"symbolic link to a valid package",
         [](const fs::path& in) {
             fs::create_symlink(buildDeb(in, "kelvora", "2.0"), in / "link.deb");
             return in / "link.deb";
         },
         ExitCode::NotRegularFile, "lien symbolique"},
        {"symbolic link to a folder inside the path",
         [](const fs::path& in) {
             fs::create_directory(in / "real");
             buildDeb(in / "real", "kelvora", "2.0");
             fs::create_directory_symlink(in / "real", in / "dirlink");
             return in / "dirlink" / "kelvora_2.0.deb";
         },
         ExitCode::NotRegularFile, "lien symbolique"},
        {"a '..' inside the path",
         [](const fs::path& in) {
             fs::create_directory(in / "sub");
             return in / "sub" / ".." / buildDeb(in, "kelvora", "2.0").filename();
         },
         ExitCode::NotRegularFile, "« .. »"},
        {"named pipe",
         [](const fs::path& in) {
             ::mkfifo((in / "pipe.deb").c_str(), 0644);
             return in / "pipe.deb";
         },
         ExitCode::NotRegularFile, "pas un fichier ordinaire"},
        {"folder", [](const fs::path& in) { return in; }, ExitCode::NotRegularFile,
         "pas un fichier ordinaire"},
        {"missing file", [](const fs::path& in) { return in / "absent.deb"; },
         ExitCode::FileUnreadable, "introuvable"},
        {"over 512 MB",
         [](const fs::path& in) {
             writeFile(in / "big.deb", "");
             fs::resize_file(in / "big.deb", 513ull * 1024 * 1024); // sparse: costs no disk
             return in / "big.deb";
         },
         ExitCode::TooLarge, "512 Mo"},
        {"relative path", [](const fs::path&) { return fs::path("update.deb"); }, ExitCode::Usage,
         "Usage"},
        {"work folder writable by others",
         [](const fs::path& in) { return buildDeb(in, "kelvora", "2.0"); }, ExitCode::WorkFolder,
         "dossier d'installation", fs::perms(0777)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sandbox sandbox(c.installed, 0, c.removes);
        fs::permissions(sandbox.cache(), c.cacheMode);
        const HelperRun run = sandbox.runSigned(c.package(sandbox.inputs()));
        EXPECT_EQ(run.exitCode, static_cast<int>(c.code));
        expectReason(run.err, c.words);
        EXPECT_FALSE(sandbox.aptCalled());
        EXPECT_TRUE(sandbox.cacheEmpty());
    }
}

// The signature is judged on the helper's own copy, whatever the program checked before: each of
// these reaches the helper as if another account had replaced the file in the shared folder.
TEST(Installer, RefusesAPackageWithoutAGoodReleaseSignature)
{
    REQUIRE_ROOT();
    const SigningKey otherKey("Quelqu'un d'autre");
    struct Case {
        const char* name;
        std::function<void(const fs::path& deb, const fs::path& sig)> signature;
        ExitCode code;
        const char* words;
    };
    const Case cases[] = {
        {"no signature", [](const fs::path&, const fs::path&) {}, ExitCode::FileUnreadable,
         "Le fichier de signature est introuvable"},
        {"signed by another key",
         [&](const fs::path& deb, const fs::path& sig) { otherKey.sign(deb, sig); },
         ExitCode::BadSignature, "pas de signature valide"},
        {"signature of another file",
         [](const fs::path& deb, const fs::path& sig) {
             releaseKey().sign(buildDeb(deb.parent_path(), "kelvora", "1.11"), sig);
         },
         ExitCode::BadSignature, "pas de signature valide"},
        {"signature cut short",
         [](const fs::path& deb, const fs::path& sig) {
             releaseKey().sign(deb, sig);
             writeFile(sig, readFile(sig).substr(0, 40));
         },
         ExitCode::BadSignature, "pas de signature valide"},
        {"a valid signature replaced by another key's before the helper copies it",
         [&](const fs::path& deb, const fs::path& sig) {
             releaseKey().sign(deb, sig);
             otherKey.sign(deb, sig);
         },
         ExitCode::BadSignature, "pas de signature valide"},
        {"signature over 64 KB",
         [](const fs::path&, const fs::path& sig) { writeFile(sig, std::string(65 * 1024, 'x')); },
         ExitCode::TooLarge, "64 Ko"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sandbox sandbox;
        const fs::path deb = buildDeb(sandbox.inputs(), "kelvora", "1.10");
        const fs::path sig = sandbox.inputs() / "kelvora_1.10.deb.sig";
        c.signature(deb, sig);
        const HelperRun run = sandbox.run(q(deb) + " " + q(sig));
        EXPECT_EQ(run.exitCode, static_cast<int>(c.code));
        expectReason(run.err, c.words);
        EXPECT_FALSE(sandbox.checkedPastTheSignature());
        EXPECT_FALSE(sandbox.aptCalled());
        EXPECT_TRUE(sandbox.cacheEmpty());
    }
}

TEST(Installer, InstallsItsOwnCopyOfANewerPackage)
{
    REQUIRE_ROOT();
    const std::pair<std::optional<std::string>, std::string> versions[] = {
        {"1.09", "1.10"}, {"1:0.1", "1:1.10"}, {std::nullopt, "2:1.10"}};
    for (const auto& [installed, version] : versions) {
        SCOPED_TRACE(installed.value_or("not installed"));
        Sandbox sandbox(installed);
        const fs::path deb = buildDeb(sandbox.inputs(), "kelvora", version);
        const HelperRun run = sandbox.runSigned(deb);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(run.err.empty()) << run.err;
        EXPECT_NE(run.out.find("installée (version " + version + ")"), std::string::npos)
            << run.out;
        const std::vector<std::string> arguments = lines(sandbox.aptArguments());
        ASSERT_GE(arguments.size(), 4u);
        EXPECT_EQ(arguments[0], "install");
        EXPECT_EQ(arguments[1], "-y");
        // Nothing installed may be removed on the way, whatever the package declares.
        EXPECT_EQ(arguments[2], "--no-remove");
        // The file apt-get got lay in a work folder of the cache and held the original's bytes.
        EXPECT_EQ(fs::path(arguments.back()).parent_path().parent_path(), sandbox.cache());
        EXPECT_EQ(sandbox.aptBytes(), readFile(deb));
        EXPECT_TRUE(sandbox.cacheEmpty());
    }
}

TEST(Installer, ReportsAFailedAptGet)
{
    REQUIRE_ROOT();
    Sandbox sandbox("1.09", 100);
    const HelperRun run = sandbox.runSigned(buildDeb(sandbox.inputs(), "kelvora", "1.10"));
    EXPECT_EQ(run.exitCode, static_cast<int>(ExitCode::InstallFailed));
    expectReason(run.err, "apt-get a rendu le code 100");
    EXPECT_TRUE(sandbox.cacheEmpty());
}

TEST(Installer, AFileSwappedAfterTheCopyIsNeverTheOneInstalled)
{
    REQUIRE_ROOT();
    Sandbox sandbox;
    const fs::path original = buildDeb(sandbox.inputs(), "kelvora", "1.10");
    const std::string originalBytes = readFile(original);
    const fs::path swapped = buildDeb(sandbox.inputs(), "kelvora", "9.0");
    const fs::path hook = sandbox.inputs() / "swap";
    writeScript(hook, "cp " + q(swapped) + " \"$1\"\n");

    const HelperRun run = sandbox.runSigned(original, hook.string());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(readFile(original), readFile(swapped)) << "the swap did not happen";
    EXPECT_EQ(sandbox.aptBytes(), originalBytes);
    EXPECT_TRUE(sandbox.cacheEmpty());
}

TEST(Installer, RunsOnlyAsRootWithTwoAbsolutePaths)
{
    REQUIRE_ROOT();
    struct Case {
        const char* name;
        std::string command;
        ExitCode code;
        const char* words;
    };
    const std::string nobody = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
    const std::string redirected =
        "KELVORA_INSTALLER_CACHE=/nonexistent KELVORA_INSTALLER_APT_GET=/bin/false ";
    const Case cases[] = {
        {"installed program as an ordinary user",
         nobody + q(KELVORA_INSTALLER) + " /tmp/kelvora.deb /tmp/kelvora.deb.sig",
         ExitCode::NotRoot, "root"},
        {"tests' program as an ordinary user",
         nobody + "env " + redirected + q(KELVORA_INSTALLER_SEAMS) +
             " /tmp/kelvora.deb /tmp/kelvora.deb.sig",
         ExitCode::NotRoot, "root"},
        {"tests' program without its redirections",
         q(KELVORA_INSTALLER_SEAMS) + " /tmp/k.deb /tmp/k.deb.sig", ExitCode::Usage, "tests"},
        {"no argument", q(KELVORA_INSTALLER), ExitCode::Usage, "Usage"},
        {"no signature", q(KELVORA_INSTALLER) + " /a.deb", ExitCode::Usage, "Usage"},
        {"three arguments", q(KELVORA_INSTALLER) + " /a.deb /a.deb.sig /b.deb", ExitCode::Usage,
         "Usage"},
        {"relative signature", q(KELVORA_INSTALLER) + " /a.deb a.deb.sig", ExitCode::Usage,
         "Usage"},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = runCommand("{ " + c.command + " 2>" + q(folder / "err") + "; }");
        EXPECT_EQ(result.exitCode, static_cast<int>(c.code));
        expectReason(readFile(folder / "err"), c.words);
    }
}

} // namespace
