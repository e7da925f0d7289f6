#!/usr/bin/env bash
# Signs the update repository's Release file for scripts/publish-update.sh, which reprepro runs
# as its signing hook:  sign-release.sh RELEASE INRELEASE RELEASE.GPG
# The key comes from KELVORA_RELEASE_KEY (a primary key's fingerprint: gpg picks its current
# signing subkey) and GnuPG's home from GNUPGHOME. The release manager's own gpg.conf is never
# read: SHA-512, and a binary detached signature, whatever it says.
set -euo pipefail

release="$1"
inrelease="${2:-}"
detached="${3:-}"
key="${KELVORA_RELEASE_KEY:?KELVORA_RELEASE_KEY n\'est pas défini}"

gpg_sign() {
    gpg --no-options --batch --quiet --no-tty --homedir "${GNUPGHOME:?GNUPGHOME n\'est pas défini}" \
        --local-user "$key" --digest-algo SHA512 --personal-digest-preferences SHA512 \
        --no-textmode --yes "$@"
}

if [[ -n "$inrelease" ]]; then
    gpg_sign --output "$inrelease" --clearsign "$release"
fi
if [[ -n "$detached" ]]; then
    gpg_sign --output "$detached" --detach-sign "$release"
fi
