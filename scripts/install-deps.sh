#!/usr/bin/env bash
# Installs every Debian package Kelvora needs to build, run, test and benchmark, on Debian 12
# or 13 by each release's names. Idempotent: says nothing when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-svg-dev qt6-qpa-plugins libqt6svg6 libgl-dev
    libsqlcipher-dev sqlcipher
    libjpeg-dev libxml2-dev
    libgtest-dev libgmock-dev libbenchmark-dev libhpdf-dev clang libclang-rt-dev
    qpdf poppler-utils unrtf
    fonts-urw-base35 fonts-dejavu-core
    locales xvfb xauth imagemagick pkexec polkitd dbus libxml2-utils gpgv gnupg
    debhelper dpkg-dev fakeroot lintian desktop-file-utils appstream shellcheck librsvg2-bin
    adduser xdg-utils qt6-translations-l10n cups-client xdotool x11-utils tmux tesseract-ocr tesseract-ocr-fra
    heaptrack valgrind linux-perf libxdamage-dev
    at-spi2-core python3-pyatspi dbus-x11
    reprepro apt-utils devscripts reprotest diffoscope-minimal faketime disorderfs
    pcscd libccid vsmartcard-vpcd vsmartcard-vpicc python3-pycryptodome pcsc-tools
    mmdebstrap
)

# Debian 13 moved Qt's SVG plugins (the window's icons) out of libqt6svg6 into a package of their
# own; Debian 12 has no such package.
# shellcheck source=/dev/null
. /etc/os-release
[[ "${VERSION_CODENAME:-}" == bookworm ]] || packages+=(qt6-svg-plugins)

# The FHIR validators run on Node.js; the machine's own is used when it has one.
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "install-deps: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The test suite runs once more under a French locale to catch locale-dependent number output.
if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$'; then
    sed -i 's/^# *\(fr_FR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^fr_FR.UTF-8 UTF-8' /etc/locale.gen || echo 'fr_FR.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi

# The FHIR and JSON Schema validators the tests run, exactly as pinned by their lock file;
# installed again only when the lock file changed since the last install.
fhir_checks="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/fhir"
if ! cmp -s "$fhir_checks/package-lock.json" "$fhir_checks/node_modules/.kelvora-lock.json"; then
    echo "install-deps: installing the FHIR validators (npm ci in tests/fhir)"
    (cd "$fhir_checks" && npm ci --silent --no-audit --no-fund --no-update-notifier)
    cp "$fhir_checks/package-lock.json" "$fhir_checks/node_modules/.kelvora-lock.json"
fi
