// kelvora-installer run as root against a real apt and dpkg, over a repository made by
// scripts/publish-update.sh with a throw-away key and served on loopback. The tests' build of
// the helper keeps apt's state and dpkg's database in a temporary root, with small `kelvora`
// packages installed there; nothing is installed on this machine.
#include "common/update_outcome.h"
#include "support/signing_key.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace
{

using kelvora::testing::runCommand;
using kelvora::testing::shellQuote;
using kelvora::testing::SigningKey;
using kelvora::testing::TempFolder;
using kelvora::update::InstallerExit;
namespace fs = std::filesystem;

std::string q(const fs::path& path)
{
    return shellQuote(path.string());
}

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

void mustRun(const std::string& command)
{
    const auto result = runCommand(command);
    if (result.exitCode != 0)
        throw std::runtime_error(command + " failed: " + result.output);
}

// A `kelvora` package of `version` holding `payload` random bytes (a payload over the 1 MB
// file-size limit of one test), built into `folder`.
fs::path buildKelvora(const fs::path& folder, const std::string& version, int payloadKb = 4)
{
    const fs::path tree = folder / ("tree-" + version);
    fs::remove_all(tree);
    fs::create_directories(tree / "DEBIAN");
    fs::create_directories(tree / "usr/share/kelvora-test");
    fs::permissions(tree / "DEBIAN", fs::perms(0755));
    writeFile(tree / "DEBIAN/control",
              "Package: kelvora\nVersion: " + version +
                  "\nArchitecture: all\nMaintainer: Tests <tests@kelvora.invalid>\n"
                  "Section: misc\nPriority: optional\nDescription: test package\n");
    writeFile(tree / "usr/share/kelvora-test/version", version + "\n");
    mustRun("head -c " + std::to_string(payloadKb * 1024) + " /dev/urandom > " +
            q(tree / "usr/share/kelvora-test/payload"));
    const fs::path deb = folder / ("kelvora_" + version + "_all.deb");
    mustRun("dpkg-deb --root-owner-group -Znone --build " + q(tree) + " " + q(deb));
    fs::remove_all(tree);
    return deb;
}

// The tests' release key, made once for the whole program.
const SigningKey& releaseKey()
{
    static const SigningKey key;
    return key;
}

// A repository published by the project's script, signed by `key`.
void publish(const fs::path& out, const std::vector<fs::path>& packages,
             const SigningKey& key = releaseKey())
{
    std::string command = "GNUPGHOME=" + q(key.home()) + " KELVORA_KEYRING=" + q(key.keyring()) +
                          " " + q(fs::path(KELVORA_SOURCE_DIR) / "scripts/publish-update.sh") +
                          " --key " + key.fingerprint() + " --out " + q(out);
    for (const fs::path& p : packages)
        command += " " + q(p);
    mustRun(command);
}

// Re-signs the repository's Release after the test changed it, as the signing hook does.
void resign(const fs::path& repository, const SigningKey& key = releaseKey())
{
    const fs::path dists = repository / "dists/stable";
    mustRun("GNUPGHOME=" + q(key.home()) + " KELVORA_RELEASE_KEY=" + key.fingerprint() + " " +
            q(fs::path(KELVORA_SOURCE_DIR) / "scripts/sign-release.sh") + " " +
            q(dists / "Release") + " " + q(dists / "InRelease") + " " + q(dists / "Release.gpg"));
}

// A date as Release files write it, `days` from now.
std::string releaseDate(int days)
{
    return runCommand("LC_ALL=C date -u -d '" + std::to_string(days) +
                      " days' '+%a, %d %b %Y %H:%M:%S UTC'")
        .output.substr(0, 29);
}

void setReleaseDates(const fs::path& repository, int dateDays, int validDays)
{
    const fs::path release = repository / "dists/stable/Release";
    mustRun("sed -i -e 's/^Date: .*/Date: " + releaseDate(dateDays) +
            "/' -e 's/^Valid-Until: .*/Valid-Until: " + releaseDate(validDays) + "/' " +
            q(release));
    resign(repository);
}

// The loopback server of one repository folder.
class Server
{
public:
    explicit Server(const fs::path& folder, bool slow = false)
    {
        const fs::path port = log_ / "port";
        mustRun("( " + q(fs::path(KELVORA_SOURCE_DIR) / "tests/installer/serve_repository.py") +
                " " + q(folder) + (slow ? " --slow" : "") + " > " + q(port) + " 2> " +
                q(log_ / "requests") + " & echo $! > " + q(log_ / "pid") + " )");
        pid_ = std::stoi(readFile(log_ / "pid"));
        for (int i = 0; i < 100 && readFile(port).empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        url_ = "http://127.0.0.1:" + readFile(port).substr(0, readFile(port).find('\n'));
    }
    ~Server() { ::kill(pid_, SIGKILL); }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    const std::string& url() const { return url_; }
    std::string requests() const { return readFile(log_ / "requests"); }

private:
    TempFolder log_;
    int pid_ = -1;
    std::string url_;
};

struct HelperRun {
    int code = -1;
    std::string out;
    std::string err;
};

// The workstation: dpkg's database with `kelvora` installed, apt's state and the helper's
// folders, all under one temporary root that apt's download user can read.
class Machine
{
public:
    explicit Machine(const std::string& installed = "1.09")
    {
        fs::permissions(root_.path(), fs::perms(0755));
        for (const char* folder :
             {"dpkg/updates", "dpkg/info", "apt/state/lists/partial", "apt/cache/archives/partial",
              "apt/log", "etc/sources.list.d", "installed", "packages"})
            fs::create_directories(root_ / folder);
        writeFile(root_ / "dpkg/status", "");
        writeFile(root_ / "etc/sources.list", "");
        fs::copy_file(releaseKey().keyring(), keyring());
        fs::permissions(keyring(), fs::perms(0644));
        if (!installed.empty())
            mustRun("dpkg --admindir=" + q(root_ / "dpkg") +
                    " --instdir=" + q(root_ / "installed") + " -i " +
                    q(buildKelvora(root_ / "packages", installed)));
    }

    fs::path root() const { return root_.path(); }
    fs::path keyring() const { return root_ / "keyring.gpg"; }
    std::string version() const
    {
        return runCommand("dpkg-query --admindir=" + q(root_ / "dpkg") +
                          " -W -f='${Version}' kelvora")
            .output;
    }
    std::string audit() const
    {
        return runCommand("dpkg --admindir=" + q(root_ / "dpkg") + " --audit").output;
    }

    // The helper's command line, with `extra` environment settings.
    std::string command(const std::string& url, const std::string& extra = {}) const
    {
        return "env -i PATH=/usr/bin:/bin KELVORA_INSTALLER_ROOT=" + q(root()) +
               " KELVORA_INSTALLER_URL=" + url + " KELVORA_INSTALLER_KEYRING=" + q(keyring()) +
               " " + extra + " " + q(KELVORA_INSTALLER_SEAMS);
    }

    // Runs the helper to its end; `prefix` runs first in the same shell (ulimit...).
    HelperRun run(const std::string& url, const std::string& extra = {},
                  const std::string& prefix = {}) const
    {
        const fs::path err = root_ / "stderr";
        const auto result = runCommand("{ " + prefix + " timeout 300 " + command(url, extra) +
                                       " 2>" + q(err) + "; }");
        return {result.exitCode, result.output, readFile(err)};
    }

private:
    TempFolder root_;
};

#define REQUIRE_ROOT()                                                                             \
    if (::geteuid() != 0)                                                                          \
    GTEST_SKIP() << "the update helper runs apt and dpkg as root; run this test as root"

// Whether root may raise a hard limit here (containers may withhold CAP_SYS_RESOURCE).
bool rootRaisesLimits()
{
    return runCommand("ulimit -f 1000 && ulimit -f unlimited").exitCode == 0;
}

// One table over what the repository may be: only a good repository with a newer release gets
// anything installed. The good case also runs under a 1 MB file-size limit with SIGHUP ignored,
// as a caller may leave them: the helper resets both, so dpkg unpacks its 2 MB file; where root
// cannot raise the limit, the helper does not start rather than have dpkg killed halfway.
TEST(Installer, OnlyAValidRepositoryWithANewerReleaseInstallsAnything)
{
    REQUIRE_ROOT();
    struct Case {
        const char* name;
        std::function<void(const fs::path& repository, const fs::path& work)> make;
        InstallerExit code;
        const char* version;     // installed afterwards
        const char* prefix = ""; // run first in the helper's shell
    };
    const SigningKey otherKey("Quelqu'un d'autre");
    const bool raises = rootRaisesLimits();
    const auto newer = [](const fs::path& repository, const fs::path& work) {
        publish(repository, {buildKelvora(work, "1.10", 2048)});
    };
    const Case cases[] = {
        {"valid repository", newer, InstallerExit::Installed, "1.10"},
        {"valid repository, 1 MB file-size limit and hang-ups ignored", newer,
         raises ? InstallerExit::Installed : InstallerExit::Limits, raises ? "1.10" : "1.09",
         "ulimit -f 1000; trap '' HUP;"},
        {"InRelease expired three days ago",
         [&](const fs::path& repository, const fs::path& work) {
             newer(repository, work);
             setReleaseDates(repository, -10, -3);
         },
         InstallerExit::Expired, "1.09"},
        {"signed by another key",
         [&](const fs::path& repository, const fs::path& work) {
             publish(repository, {buildKelvora(work, "1.10")}, otherKey);
         },
         InstallerExit::BadSignature, "1.09"},
        {"Packages does not match its signed hash",
         [&](const fs::path& repository, const fs::path& work) {
             newer(repository, work);
             const fs::path packages = repository / "dists/stable/main/binary-amd64/Packages";
             mustRun("sed -i 's/^Version: 1.10$/Version: 1.10\\nX-Ajout: 1/' " + q(packages) +
                     " && gzip -9nc " + q(packages) + " > " + q(packages) + ".gz");
         },
         InstallerExit::BadHash, "1.09"},
        {"package replaced after signing",
         [&](const fs::path& repository, const fs::path& work) {
             newer(repository, work);
             fs::create_directories(work / "other");
             fs::copy_file(buildKelvora(work / "other", "1.10", 2048),
                           repository / "pool/main/k/kelvora/kelvora_1.10_all.deb",
                           fs::copy_options::overwrite_existing);
         },
         InstallerExit::BadHash, "1.09"},
        {"older version only",
         [](const fs::path& repository, const fs::path& work) {
             publish(repository, {buildKelvora(work, "1.08")});
         },
         InstallerExit::UpToDate, "1.09"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Machine machine;
        const TempFolder work;
        c.make(work / "repository", work.path());
        const Server server(work / "repository");

        const HelperRun run = machine.run(server.url(), {}, c.prefix);

        EXPECT_EQ(run.code, static_cast<int>(c.code)) << run.out << run.err;
        EXPECT_EQ(machine.version(), c.version);
        EXPECT_EQ(machine.audit(), "");
        if (c.code == InstallerExit::Installed) {
            EXPECT_EQ(readFile(machine.root() / "installed/usr/share/kelvora-test/version"),
                      "1.10\n");
            EXPECT_NE(run.out.find("progression:0:Recherche de la mise à jour"), std::string::npos)
                << run.out;
            EXPECT_NE(run.out.find("Installation de la mise à jour"), std::string::npos) << run.out;
        } else {
            // The French reason, last, on the error output.
            const std::string reason = kelvora::update::installerReason(static_cast<int>(c.code));
            EXPECT_EQ(run.err.substr(run.err.size() - reason.size() - 1), reason + "\n") << run.err;
        }
    }
}

// A server replaying an older signed release, still valid, after a newer one was installed:
// nothing older than what is installed is ever installed.
TEST(Installer, AReplayedOlderReleaseInstallsNothing)
{
    REQUIRE_ROOT();
    const Machine machine;
    const TempFolder work;
    publish(work / "repository", {buildKelvora(work.path(), "1.10")});
    mustRun("cp -a " + q(work / "repository") + " " + q(work / "replay"));
    // A day later, 1.11 is published into the same repository.
    publish(work / "repository", {buildKelvora(work.path(), "1.11")});
    {
        const Server current(work / "repository");
        EXPECT_EQ(machine.run(current.url()).code, static_cast<int>(InstallerExit::Installed));
        ASSERT_EQ(machine.version(), "1.11");
    }
    const Server replay(work / "replay");
    const HelperRun run = machine.run(replay.url());
    EXPECT_NE(run.code, static_cast<int>(InstallerExit::Installed)) << run.err;
    EXPECT_EQ(machine.version(), "1.11");
}

// Signals a caller can send while apt downloads are ignored; a kill of the helper and of apt
// with it leaves dpkg consistent, and the next run installs.
TEST(Installer, AnInterruptionNeverLeavesDpkgHalfway)
{
    REQUIRE_ROOT();
    const TempFolder work;
    publish(work / "repository", {buildKelvora(work.path(), "1.10", 120)});
    const Server slow(work / "repository", true);
    for (const bool kill : {false, true}) {
        SCOPED_TRACE(kill ? "killed" : "hang-up, interrupt, termination");
        const Machine machine;
        mustRun("( " + machine.command(slow.url()) + " > " + q(machine.root() / "out") +
                " 2>&1 & echo $! > " + q(machine.root() / "pid") + " )");
        const int helper = std::stoi(readFile(machine.root() / "pid"));
        // Until apt has started on the package.
        for (int i = 0; i < 300 && slow.requests().find(".deb") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_NE(slow.requests().find(".deb"), std::string::npos);
        if (kill)
            // The helper and apt's own session, as a shutdown or the OOM killer would.
            mustRun("for p in $(pgrep -P " + std::to_string(helper) +
                    "); do kill -9 -- -$p; done; kill -9 " + std::to_string(helper));
        else
            for (const int signal : {SIGHUP, SIGINT, SIGTERM})
                ::kill(helper, signal);
        for (int i = 0; i < 600 && ::kill(helper, 0) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        // apt's own processes end with the kill, or with their work.
        // (The bracket keeps pgrep's own shell from matching.)
        const std::string aptOfThisMachine = machine.root().string() + "/apt/stat[e]";
        for (int i = 0; i < 100 && runCommand("pgrep -f " + q(aptOfThisMachine)).exitCode == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(machine.audit(), "");
        EXPECT_EQ(machine.version(), kill ? "1.09" : "1.10") << readFile(machine.root() / "out");
        if (kill) {
            const Server fast(work / "repository");
            const HelperRun next = machine.run(fast.url());
            EXPECT_EQ(next.code, static_cast<int>(InstallerExit::Installed)) << next.err;
            EXPECT_EQ(machine.version(), "1.10");
        }
    }
}

// What the helper checks before it asks the server anything, and what it does not wait for
// forever: an interrupted dpkg, another helper, dpkg's lock, a server that trickles.
TEST(Installer, RefusesToStartOnABrokenOrBusyPackageSystem)
{
    REQUIRE_ROOT();
    const TempFolder work;
    publish(work / "repository", {buildKelvora(work.path(), "1.10", 400)});
    struct Case {
        const char* name;
        std::function<int(const Machine&)> hold; // returns a descriptor to close afterwards
        InstallerExit code;
        bool slow = false;
        bool asksServer = true;
    };
    const auto lockFile = [](const fs::path& file, bool fcntlLock) {
        const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fcntlLock) {
            struct flock lock {
            };
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            ::fcntl(fd, F_SETLK, &lock);
        } else {
            ::flock(fd, LOCK_EX);
        }
        return fd;
    };
    const Case cases[] = {
        {"dpkg interrupted before",
         [](const Machine& m) {
             std::ofstream(m.root() / "dpkg/status", std::ios::app)
                 << "Package: kelvora-autre\nStatus: install reinstreq half-installed\nPriority: "
                    "optional\nSection: misc\nArchitecture: all\nVersion: 1.0\n"
                    "Description: test package\n\n";
             return -1;
         },
         InstallerExit::Interrupted, false, false},
        {"another helper running",
         [&](const Machine& m) { return lockFile(m.root() / "helper.lock", false); },
         InstallerExit::Busy, false, false},
        {"the helper's lock is a symbolic link",
         [](const Machine& m) {
             writeFile(m.root() / "cible", "à garder");
             fs::create_symlink(m.root() / "cible", m.root() / "helper.lock");
             return -1;
         },
         InstallerExit::LockLink, false, false},
        {"another installation holds dpkg's lock",
         [&](const Machine& m) { return lockFile(m.root() / "dpkg/lock-frontend", true); },
         InstallerExit::Locked, false, false},
        {"download past its deadline", [](const Machine&) { return -1; }, InstallerExit::TooLong,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Machine machine;
        const Server server(work / "repository", c.slow);
        const int held = c.hold(machine);

        const HelperRun run =
            machine.run(server.url(), "KELVORA_INSTALLER_WAIT=1 KELVORA_INSTALLER_DEADLINE=3");

        if (held >= 0)
            ::close(held);
        EXPECT_EQ(run.code, static_cast<int>(c.code)) << run.err;
        EXPECT_NE(run.err.find(kelvora::update::installerReason(static_cast<int>(c.code))),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(machine.version(), "1.09");
        EXPECT_EQ(server.requests().empty(), !c.asksServer) << server.requests();
    }
}

// The helper's work folder is root's alone: whatever else stands at its name is removed without
// following any link, made anew, and said on the output for the log; the update then goes on.
TEST(Installer, RepairsItsWorkFolder)
{
    REQUIRE_ROOT();
    const TempFolder work;
    publish(work / "repository", {buildKelvora(work.path(), "1.09")});
    const Server server(work / "repository");
    struct Case {
        const char* name;
        std::function<void(const fs::path& folder, const fs::path& elsewhere)> make;
        const char* said; // nullptr: nothing to repair
    };
    const Case cases[] = {
        {"a symbolic link to another folder",
         [](const fs::path& folder, const fs::path& elsewhere) {
             fs::create_symlink(elsewhere, folder);
         },
         "c'était un lien symbolique"},
        {"a folder of another account holding a link",
         [](const fs::path& folder, const fs::path& elsewhere) {
             fs::create_directories(folder / "sous-dossier");
             fs::create_symlink(elsewhere, folder / "sous-dossier/lien");
             ASSERT_EQ(::chown((folder / "sous-dossier").c_str(), 4321, 4321), 0);
             ASSERT_EQ(::chown(folder.c_str(), 4321, 4321), 0);
             fs::permissions(folder, fs::perms(0700));
         },
         "il appartenait au compte 4321"},
        {"a folder open to everyone",
         [](const fs::path& folder, const fs::path&) {
             fs::create_directory(folder);
             fs::permissions(folder, fs::perms(0777));
         },
         "ses droits étaient 0777 au lieu de 0700"},
        {"a file", [](const fs::path& folder, const fs::path&) { writeFile(folder, "x"); },
         "ce n'était pas un dossier"},
        {"root's own folder",
         [](const fs::path& folder, const fs::path&) {
             fs::create_directory(folder);
             fs::permissions(folder, fs::perms(0700));
         },
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Machine machine;
        const fs::path folder = machine.root() / "work";
        const fs::path elsewhere = machine.root() / "ailleurs";
        fs::create_directory(elsewhere);
        writeFile(elsewhere / "garder", "à garder");
        c.make(folder, elsewhere);

        const HelperRun run = machine.run(server.url());

        EXPECT_EQ(run.code, static_cast<int>(InstallerExit::UpToDate)) << run.err;
        const std::string line = "Dossier de travail " + folder.string() + " refait : ";
        if (c.said != nullptr) {
            EXPECT_NE(run.out.find(line + c.said + ".\n"), std::string::npos) << run.out;
        } else {
            EXPECT_EQ(run.out.find(line), std::string::npos) << run.out;
        }
        struct stat st {
        };
        ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_uid, 0u);
        EXPECT_EQ(st.st_mode & 07777, 0700u);
        EXPECT_EQ(readFile(elsewhere / "garder"), "à garder");
        EXPECT_EQ(fs::directory_iterator(elsewhere)->path().filename(), "garder");
    }
}

// The installed helper takes no argument: whatever it is given is refused before anything
// else (run here with one, it never reaches this machine's package system).
TEST(Installer, TakesNoArgumentAndRunsOnlyAsRoot)
{
    const auto result = runCommand("env -i " + q(KELVORA_INSTALLER) + " /tmp/paquet.deb");
    EXPECT_EQ(result.exitCode, ::geteuid() == 0 ? static_cast<int>(InstallerExit::Usage)
                                                : static_cast<int>(InstallerExit::NotRoot))
        << result.output;
    EXPECT_NE(result.output.find(::geteuid() == 0 ? "ne prend aucun argument" : "root"),
              std::string::npos)
        << result.output;
}

} // namespace
