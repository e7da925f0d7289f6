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


cd "$build"
echo "== tests (C locale)"
LC_ALL=C.UTF-8 ctest --output-on-failure -j"$(nproc)" --timeout 300
echo "== tests (fr_FR.UTF-8)"
LC_ALL=fr_FR.UTF-8 ctest --output-on-failure -j"$(nproc)" --timeout 300
echo "== fuzz targets (10 s each on their seed corpus)"
"$root/scripts/fuzz.sh" 10
