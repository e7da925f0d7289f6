// A throw-away release key made with gpg in a temporary home, shaped like the real one: a
// certify-only primary key with a signing subkey. Its keyring, its primary fingerprint, and the
// home that scripts/publish-update.sh signs from (GNUPGHOME).
#pragma once

#include "support/temp_folder.h"

#include <stdexcept>
#include <string>

namespace kelvora::testing
{

class SigningKey
{
public:
    explicit SigningKey(const std::string& name = "Kelvora tests")
    {
        std::filesystem::permissions(home_.path(), std::filesystem::perms::owner_all);
        const CommandResult made =
            gpg("--quick-gen-key " + shellQuote(name + " <tests@kelvora.invalid>") +
                " ed25519 cert never");
        if (made.exitCode != 0)
            throw std::runtime_error("gpg --quick-gen-key failed: " + made.output);
        const CommandResult listed = gpg("--list-keys --with-colons");
        const std::size_t at = listed.output.find("\nfpr:");
        if (at == std::string::npos)
            throw std::runtime_error("no fingerprint: " + listed.output);
        const std::size_t start = listed.output.find_first_not_of(':', at + 5);
        fingerprint_ = listed.output.substr(start, listed.output.find(':', start) - start);
        const CommandResult subkey = gpg("--quick-add-key " + fingerprint_ + " ed25519 sign 2y");
        if (subkey.exitCode != 0)
            throw std::runtime_error("gpg --quick-add-key failed: " + subkey.output);
        if (gpg("--output " + shellQuote(keyring().string()) + " --export").exitCode != 0)
            throw std::runtime_error("gpg --export failed");
    }

    ~SigningKey()
    {
        // gpg started an agent for this home; it must not outlive the test.
        runCommand("gpgconf --homedir " + shellQuote(home_.path().string()) + " --kill gpg-agent");
    }
    SigningKey(const SigningKey&) = delete;
    SigningKey& operator=(const SigningKey&) = delete;

    const std::string& fingerprint() const { return fingerprint_; }
    std::filesystem::path keyring() const { return home_ / "keyring.gpg"; }

    const std::filesystem::path& home() const { return home_.path(); }

private:
    CommandResult gpg(const std::string& arguments) const
    {
        return runCommand("gpg --batch --quiet --no-tty --pinentry-mode loopback --passphrase '' "
                          "--homedir " +
                          shellQuote(home_.path().string()) + " " + arguments);
    }

    TempFolder home_;
    std::string fingerprint_;
};

} // namespace kelvora::testing
