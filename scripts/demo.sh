#!/usr/bin/env bash
# Installs what is missing, builds Kelvora, lays out a demo installation in ./demo and starts
# the program on it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
demo="$root/demo"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVORA_BUILD_TESTS=OFF -DKELVORA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

"$build/bin/kelvora-admin" demo "$demo"
export KELVORA_PROGRAMDATA="$demo"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    cat >&2 <<MSG
Aucun écran graphique (ni DISPLAY ni WAYLAND_DISPLAY) : Kelvora est un programme à fenêtre.
  - sur un poste avec bureau, relancez scripts/demo.sh depuis un terminal de la session ;
  - sur un serveur sans écran, lancez-le sur un écran virtuel :
        xvfb-run -a -s "-screen 0 1024x768x24" scripts/demo.sh
    (puis, par exemple, « import -window root capture.png » pour voir la fenêtre).
La démonstration est prête dans $demo.
MSG
    exit 2
fi

echo "Démonstration : code CPS 1234, puis Entrée."
exec "$build/bin/kelvora"
