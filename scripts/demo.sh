#!/usr/bin/env bash
# Installs what is missing, builds Kelvora, lays out a demo installation in ./demo and starts
# the program on it. An existing demo (its edited scenario, its store) is kept; --reset lays it
# out anew.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
demo="$root/demo"

reset=0
case "${1:-}" in
    "") ;;
    --reset) reset=1 ;;
    *)
        echo "Usage : scripts/demo.sh [--reset]" >&2
        exit 2
        ;;
esac

# A window program: say so before minutes of building, not after.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    cat >&2 <<MSG
Aucun écran graphique (ni DISPLAY ni WAYLAND_DISPLAY) : Kelvora est un programme à fenêtre.
  - sur un poste avec bureau, relancez scripts/demo.sh depuis un terminal de la session ;
  - sur un serveur sans écran, lancez-le sur un écran virtuel :
        xvfb-run -a -s "-screen 0 1024x768x24" scripts/demo.sh
    (puis, par exemple, « import -window root capture.png » pour voir la fenêtre).
MSG
    exit 2
fi

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVORA_BUILD_TESTS=OFF -DKELVORA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

if ((reset)) || [[ ! -f "$demo/Talvix/kelvoraps/attest.vqs" ]]; then
    rm -rf "$demo"
    "$build/bin/kelvora-admin" demo "$demo" >/dev/null
    state="prête dans $demo"
else
    state="existante gardée dans $demo (scripts/demo.sh --reset pour la refaire)"
fi
export KELVORA_PROGRAMDATA="$demo"

echo "Démonstration $state : code CPS 1234, puis Entrée."
exec "$build/bin/kelvora"
