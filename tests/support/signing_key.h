// A throw-away update-signing key made with gpg in a temporary home: its keyring, its
// fingerprint, and detached signatures of files, as the release manager makes them.
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
                " ed25519 sign never");
        if (made.exitCode != 0)
            throw std::runtime_error("gpg --quick-gen-key failed: " + made.output);
        const CommandResult listed = gpg("--list-keys --with-colons");
        const std::size_t at = listed.output.find("\nfpr:");
        if (at == std::string::npos)
            throw std::runtime_error("no fingerprint: " + listed.output);
        const std::size_t start = listed.output.find_first_not_of(':', at + 5);
        fingerprint_ = listed.output.substr(start, listed.output.find(':', start) - start);
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

    // Writes a detached binary signature of `file` into `signature`.
    void sign(const std::filesystem::path& file, const std::filesystem::path& signature) const
    {
        const CommandResult signed_ = gpg("--yes --output " + shellQuote(signature.string()) +
                                          " --detach-sign " + shellQuote(file.string()));
        if (signed_.exitCode != 0)
            throw std::runtime_error("gpg --detach-sign failed: " + signed_.output);
    }

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
