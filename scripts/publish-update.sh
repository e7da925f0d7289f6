#!/usr/bin/env bash
# Builds or refreshes Kelvora's signed apt repository, offline, with reprepro:
#   scripts/publish-update.sh --key FINGERPRINT --out FOLDER PACKAGE.deb...
#   scripts/publish-update.sh --key FINGERPRINT --out FOLDER --refresh
# FOLDER/dists and FOLDER/pool are what the web server publishes; reprepro's own database stays
# in FOLDER/.reprepro and is never published. The release key is taken from the GnuPG home in
# GNUPGHOME (the offline machine's); the metadata is valid seven days after its Date, so
# --refresh must re-sign it at least weekly, from the machine that holds the key.
# Every signature is checked before the script ends: by the given key, with SHA-512, against
# the keyring the package installs (KELVORA_KEYRING names another, for tests and acceptance).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
keyring="${KELVORA_KEYRING:-$root/packaging/keyrings/kelvora-archive-keyring.gpg}"

usage() {
    echo "usage : scripts/publish-update.sh --key EMPREINTE --out DOSSIER PAQUET.deb..." >&2
    echo "        scripts/publish-update.sh --key EMPREINTE --out DOSSIER --refresh" >&2
    exit 2
}

key="" out="" refresh=0 packages=()
while (($#)); do
    case "$1" in
    --key) (($# >= 2)) || usage; key="${2^^}"; shift 2 ;;
    --out) (($# >= 2)) || usage; out="$2"; shift 2 ;;
    --refresh) refresh=1; shift ;;
    --*) usage ;;
    *) packages+=("$1"); shift ;;
    esac
done
[[ -n "$key" && -n "$out" ]] || usage
# Either packages to add or --refresh, never both.
if ((refresh && ${#packages[@]})) || ((!refresh && !${#packages[@]})); then usage; fi
if [[ ! "$key" =~ ^([0-9A-F]{40}|[0-9A-F]{64})$ ]]; then
    echo "publish-update.sh : « $key » n'est pas l'empreinte complète d'une clé" >&2
    exit 2
fi
: "${GNUPGHOME:?publish-update.sh : GNUPGHOME doit désigner le trousseau de la clé de publication}"
for p in "${packages[@]}"; do
    if [[ "$(dpkg-deb --field "$p" Package 2>/dev/null)" != kelvora* ]]; then
        echo "publish-update.sh : $p n'est pas un paquet de Kelvora" >&2
        exit 1
    fi
done

mkdir -p "$out"
out="$(cd "$out" && pwd)"
state="$out/.reprepro"
mkdir -p "$state/conf"
# Written every time, so the repository always carries this script's settings.
cat >"$state/conf/distributions" <<CONF
Origin: Kelvora
Label: Kelvora
Suite: stable
Codename: stable
Architectures: amd64 arm64 armhf i386
Components: main
Description: Kelvora
ValidFor: 7d
SignWith: ! $root/scripts/sign-release.sh
CONF
printf 'verbose\n' >"$state/conf/options"

export KELVORA_RELEASE_KEY="$key"
reprepro=(reprepro --silent --basedir "$state" --outdir "$out")
if ((refresh)); then
    if [[ ! -d "$state/db" ]]; then
        echo "publish-update.sh : $out n'est pas un dépôt publié par ce script" >&2
        exit 1
    fi
    "${reprepro[@]}" export stable
else
    for p in "${packages[@]}"; do
        "${reprepro[@]}" --section misc --priority optional includedeb stable "$p"
    done
fi

# The signatures as apt will judge them: by this key (or its subkey), SHA-512 (hash algorithm
# 10), a binary detached signature (class 00) and a cleartext one.
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
dists="$out/dists/stable"
check() { # check FILE... EXPECTED-CLASS
    local class="${*: -1}" status
    status="$(gpgv --homedir "$home" --status-fd 1 --keyring "$keyring" -- "${@:1:$#-1}" 2>/dev/null)" ||
        return 1
    awk -v key="$key" -v class="$class" '
        $2 == "VALIDSIG" && $NF == key && $10 == "10" && $11 == class { ok = 1 }
        END { exit !ok }' <<<"$status"
}
if ! check "$dists/InRelease" 01 || ! check "$dists/Release.gpg" "$dists/Release" 00; then
    echo "publish-update.sh : la signature de $dists n'est pas une signature SHA-512 de $key vérifiable avec $keyring" >&2
    exit 1
fi
echo "publish-update.sh : $dists signé par $key, $(sed -n 's/^Valid-Until: //p' "$dists/Release" | head -n1)"
