#!/usr/bin/env bash
# Resident memory of the window over whole readings of the demo card: lays out a fresh demo
# installation, runs N readings (default 150) in one window and prints the growth per reading.
# Usage: bench/memory.sh [BUILD_DIR] [READINGS]   (a Release build: build-rel by default)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-rel}"
readings="${2:-150}"
for program in kelvora_memory_bench kelvora-admin; do
    if [[ ! -x "$build/bin/$program" ]]; then
        echo "memory.sh: $build/bin/$program is missing; build it first:" >&2
        echo "  cmake -S $root -B $build -G Ninja -DCMAKE_BUILD_TYPE=Release && ninja -C $build $program" >&2
        exit 2
    fi
done
demo="$(mktemp -d)"
trap 'rm -rf "$demo"' EXIT
"$build/bin/kelvora-admin" demo "$demo" >/dev/null
# The window without a screen: Qt's offscreen platform draws it all the same.
KELVORA_PROGRAMDATA="$demo" QT_QPA_PLATFORM=offscreen "$build/bin/kelvora_memory_bench" "$readings"
