#!/usr/bin/env bash
# Signs a Kelvora update for publication: writes FILE.sig, a detached binary OpenPGP signature
# of FILE made with the release key KEY-FINGERPRINT from the release manager's own GnuPG
# (GNUPGHOME; the private key never enters the repository), then checks it with gpgv against
# the keyring the package installs, as the program and its root helper will.
#   scripts/sign-update.sh FILE KEY-FINGERPRINT
# KELVORA_KEYRING names another keyring to check against (acceptance builds with a test key).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
keyring="${KELVORA_KEYRING:-$root/packaging/keyrings/kelvora-archive-keyring.gpg}"

if (($# != 2)); then
    echo "usage : scripts/sign-update.sh FICHIER EMPREINTE-DE-LA-CLÉ" >&2
    exit 2
fi
file="$1"
fingerprint="${2^^}"
if [[ ! -f "$file" ]]; then
    echo "sign-update.sh : $file introuvable" >&2
    exit 1
fi
if [[ ! "$fingerprint" =~ ^([0-9A-F]{40}|[0-9A-F]{64})$ ]]; then
    echo "sign-update.sh : « $2 » n'est pas l'empreinte complète d'une clé" >&2
    exit 2
fi

# The "!" takes this very key, never a subkey that gpg would choose on its own.
gpg --local-user "$fingerprint!" --yes --output "$file.sig" --detach-sign "$file"

home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
if gpgv --homedir "$home" --status-fd 1 --keyring "$keyring" -- "$file.sig" "$file" 2>/dev/null |
    grep -q "^\[GNUPG:\] VALIDSIG $fingerprint "; then
    echo "sign-update.sh : $file.sig écrit et vérifié avec $keyring"
else
    rm -f "$file.sig"
    echo "sign-update.sh : la clé $fingerprint n'est pas dans $keyring : signature retirée" >&2
    exit 1
fi
