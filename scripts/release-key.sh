#!/usr/bin/env bash
# The release key's life cycle, run on the offline machine that holds it (GNUPGHOME):
#   scripts/release-key.sh nouvelle "Nom <adresse>"   a certify-only primary key and a signing
#                                                     subkey valid two years
#   scripts/release-key.sh renouveler EMPREINTE       a new signing subkey valid two years
#   scripts/release-key.sh trousseau EMPREINTE [FICHIER]
#                                                     the public keyring the package carries
#                                                     (default packaging/keyrings/...)
# The primary key never signs a repository: losing a subkey costs a renewal, not the trust of
# every workstation. Back up the primary key (gpg --export-secret-keys) to offline media.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
: "${GNUPGHOME:?release-key.sh : GNUPGHOME doit désigner le trousseau hors ligne}"
# Interactive on purpose: the key is protected by a passphrase that pinentry asks for.
gpg_() { gpg --no-options --homedir "$GNUPGHOME" ${KELVORA_GPG_OPTIONS:-} "$@"; }

fingerprint_of() { gpg_ --with-colons --list-keys "$1" | awk -F: '/^fpr/ {print $10; exit}'; }

case "${1:-}" in
nouvelle)
    (($# == 2)) || { echo "usage : release-key.sh nouvelle \"Nom <adresse>\"" >&2; exit 2; }
    gpg_ --quick-gen-key "$2" ed25519 cert never
    fpr="$(fingerprint_of "$2")"
    gpg_ --quick-add-key "$fpr" ed25519 sign 2y
    echo "release-key.sh : clé principale $fpr (certification seule), sous-clé de signature valable 2 ans"
    ;;
renouveler)
    (($# == 2)) || { echo "usage : release-key.sh renouveler EMPREINTE" >&2; exit 2; }
    gpg_ --quick-add-key "${2^^}" ed25519 sign 2y
    echo "release-key.sh : nouvelle sous-clé de signature de ${2^^}, valable 2 ans"
    ;;
trousseau)
    (($# >= 2)) || { echo "usage : release-key.sh trousseau EMPREINTE [FICHIER]" >&2; exit 2; }
    file="${3:-$root/packaging/keyrings/kelvora-archive-keyring.gpg}"
    # The primary key and its subkeys, without the expired ones' clutter.
    gpg_ --export-options export-clean --output "$file.new" --export "${2^^}"
    mv "$file.new" "$file"
    echo "release-key.sh : $file écrit"
    gpg --no-options --show-keys "$file"
    ;;
*)
    echo "usage : release-key.sh nouvelle|renouveler|trousseau ..." >&2
    exit 2
    ;;
esac
