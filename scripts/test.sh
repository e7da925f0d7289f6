#!/usr/bin/env bash
# Installs what is missing, builds with the sanitizers, runs every test, then runs the
# whole suite once more under a French locale.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KELVORA_TEST_BUILD:-$root/build-test}"

"$root/scripts/install-deps.sh"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DKELVORA_WERROR=ON -DKELVORA_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

cd "$build"
echo "== tests (C locale)"
LC_ALL=C.UTF-8 ctest --output-on-failure -j"$(nproc)" --timeout 300
echo "== tests (fr_FR.UTF-8)"
LC_ALL=fr_FR.UTF-8 ctest --output-on-failure -j"$(nproc)" --timeout 300
