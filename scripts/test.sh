#!/usr/bin/env bash
# Installs what is missing, builds with the sanitizers, runs every test, then runs the
# whole suite once more under a French locale, the fuzz targets, and the whole suite on the
# other supported Debian release (scripts/test-other-release.sh).
#   scripts/test.sh               everything above
#   scripts/test.sh --once-here   build and run the suite once, on this machine only
#                                 (what the other release's root runs)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KELVORA_TEST_BUILD:-$root/build-test}"
once_here=false
[[ "${1:-}" == --once-here ]] && once_here=true

step() { # NAME COMMAND...: runs it and says how long it took
    local name="$1" start=$SECONDS
    shift
    echo "== $name"
    "$@"
    echo "== $name : $((SECONDS - start)) s"
}

step "dépendances" "$root/scripts/install-deps.sh"

build_tree() {
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DKELVORA_WERROR=ON -DKELVORA_SANITIZE=ON >/dev/null
    cmake --build "$build" -j"$(nproc)"
}
step "construction" build_tree

cd "$build"
step "tests (C locale)" env LC_ALL=C.UTF-8 ctest --output-on-failure -j"$(nproc)" --timeout 300
$once_here && exit 0
step "tests (fr_FR.UTF-8)" env LC_ALL=fr_FR.UTF-8 ctest --output-on-failure -j"$(nproc)" --timeout 300
step "fuzz targets (10 s each on their seed corpus)" "$root/scripts/fuzz.sh" 10
step "l'autre version de Debian" "$root/scripts/test-other-release.sh"
