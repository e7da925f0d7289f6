#!/usr/bin/env bash
# Start-up against a bare Qt window: Kelvora on a fresh demo installation and a bare Qt Widgets
# window of the same size (bench/bare_window.cpp, built by the same CMake), each started N times
# (default 11), interleaved, each timed from its start to the first frame it draws
# (kelvora_first_frame). Prints both medians and their ratio. Uses the current X display, or a
# virtual one (xvfb-run) when there is none.
# Usage: bench/startup.sh [BUILD_DIR] [N]   (a Release build: build-rel by default)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build-rel}" && pwd)"
runs="${2:-11}"
for program in kelvora kelvora-admin kelvora_bare_window kelvora_first_frame; do
    if [[ ! -x "$build/bin/$program" ]]; then
        echo "startup.sh: $build/bin/$program is missing; build it first:" >&2
        echo "  cmake -S $root -B $build -G Ninja -DCMAKE_BUILD_TYPE=Release && ninja -C $build" >&2
        exit 2
    fi
done
if [[ -z "${DISPLAY:-}" ]]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$runs"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/bin/kelvora-admin" demo "$work/demo" >/dev/null
mkdir -m 700 "$work/runtime"
export KELVORA_PROGRAMDATA="$work/demo" XDG_RUNTIME_DIR="$work/runtime"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One start of each, untimed: both find the libraries and fonts in the page cache.
"$build/bin/kelvora_first_frame" "$build/bin/kelvora_bare_window" >/dev/null
"$build/bin/kelvora_first_frame" "$build/bin/kelvora" >/dev/null
: >"$work/bare"
: >"$work/kelvora"
for ((i = 1; i <= runs; i++)); do
    "$build/bin/kelvora_first_frame" "$build/bin/kelvora_bare_window" >>"$work/bare"
    "$build/bin/kelvora_first_frame" "$build/bin/kelvora" >>"$work/kelvora"
done
bare="$(median <"$work/bare")"
kelvora="$(median <"$work/kelvora")"
echo "bare Qt window : $(tr '\n' ' ' <"$work/bare")ms"
echo "Kelvora        : $(tr '\n' ' ' <"$work/kelvora")ms"
awk -v b="$bare" -v k="$kelvora" -v n="$runs" 'BEGIN {
    printf "first frame, median of %d interleaved starts: Kelvora %.1f ms, bare Qt window %.1f ms, ratio %.2f\n", n, k, b, k / b }'
