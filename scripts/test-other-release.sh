#!/usr/bin/env bash
# Runs the whole suite once more on the other supported Debian release: Debian 13 from a Debian
# 12 machine, Debian 12 from a Debian 13 one. Its clean root is made with mmdebstrap from
# Debian's archive and kept between runs once complete (made anew when it is not); every mount
# made for it ends with the run (scripts/debian-root.sh). There the tree as it stands is built
# with warnings as errors and the sanitizers, and ctest runs once.
#   scripts/test-other-release.sh
#   KELVORA_ROOTS: where the roots are kept (/var/cache/kelvora-test-roots)
set -euo pipefail
tree="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=SCRIPTDIR/debian-root.sh
. "$tree/scripts/debian-root.sh"

# shellcheck source=/dev/null
. /etc/os-release
case "${VERSION_CODENAME:-}" in
    bookworm) suite=trixie ;;
    trixie) suite=bookworm ;;
    *)
        echo "test-other-release : Debian 12 ou 13 attendu, pas ${PRETTY_NAME:-inconnu}" >&2
        exit 1
        ;;
esac
root="${KELVORA_ROOTS:-/var/cache/kelvora-test-roots}/$suite"

# Complete once every package the suite needs is in; a root left half-made (the machine stopped,
# the archive failed) is made again from nothing.
start=$SECONDS
if [[ ! -e "$root/.kelvora-root-complete" ]]; then
    echo "== racine Debian $suite ($root)"
    make_root "$suite" "$root"
    echo "== racine faite en $((SECONDS - start)) s"
fi

# The tree as it stands (tracked and new files, not what git ignores), in place of the last one;
# file times are kept, so the root's build folder rebuilds only what changed.
rm -rf "$root/src"
mkdir -p "$root/src"
git -C "$tree" ls-files -z --cached --others --exclude-standard |
    (cd "$tree" && tar --null --no-recursion --ignore-failed-read -T - -cf - 2>/dev/null) | tar -x -C "$root/src"
# The FHIR validators are plain JavaScript, installed here from the same lock file: the root
# takes them rather than asking the npm registry a second time.
if [[ -d "$tree/tests/fhir/node_modules" ]]; then
    cp -a "$tree/tests/fhir/node_modules" "$root/src/tests/fhir/"
fi

echo "== suite sur Debian $suite (racine $root)"
in_root "$root" "/src/scripts/install-deps.sh && touch /.kelvora-root-complete &&
    KELVORA_TEST_BUILD=/build-test /src/scripts/test.sh --once-here"
echo "== Debian $suite : $((SECONDS - start)) s en tout"
