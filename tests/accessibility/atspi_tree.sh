#!/usr/bin/env bash
# Starts a virtual screen, a session bus and the program on a fresh demo installation, then
# walks the program's accessibility tree (atspi_walk.py). Exits 77 when a tool is missing.
set -euo pipefail
bin="$1"
walk="$2"

skip() {
    echo "SKIP: $1 (scripts/install-deps.sh installs it)"
    exit 77
}
command -v Xvfb >/dev/null || skip "Xvfb absent"
command -v dbus-launch >/dev/null || skip "dbus-launch absent (dbus-x11)"
command -v xdotool >/dev/null || skip "xdotool absent"
[[ -x /usr/libexec/at-spi-bus-launcher ]] || skip "bus d'accessibilité absent (at-spi2-core)"
# Debian's own Python: the bindings are installed for it, not for another one earlier on PATH.
python=/usr/bin/python3
[[ -x "$python" ]] || python=python3
"$python" -c 'import pyatspi' 2>/dev/null || skip "pyatspi absent (python3-pyatspi)"

work="$(mktemp -d)"
xvfb=""
app=""
# Ends what this script started, by process id, and keeps the script's own exit status.
# shellcheck disable=SC2317 # run by the EXIT trap
cleanup() {
    local status=$?
    if [[ -n "$app" ]]; then
        kill "$app" 2>/dev/null || true
        wait "$app" 2>/dev/null || true
    fi
    if [[ -n "${DBUS_SESSION_BUS_PID:-}" ]]; then
        kill "$DBUS_SESSION_BUS_PID" 2>/dev/null || true
    fi
    if [[ -n "$xvfb" ]]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT

# A display number of its own, chosen by Xvfb, so parallel runs never meet.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
done
[[ -s "$work/display" ]] || { cat "$work/xvfb.log"; echo "Xvfb ne démarre pas"; exit 1; }
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY

# A private session bus; the accessibility bus is started on it on demand.
eval "$(dbus-launch --sh-syntax)"
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

"$bin/kelvora-admin" demo "$work/demo" >/dev/null
# Today's update check counts as made: the reading never asks a server.
"$bin/kelvora-admin" sql "$work/demo/Talvix/kelvoraps/attest.vqs" \
    "UPDATE configuration SET valeur='$(date +%Y%m%d)' WHERE id='date_maj'" >/dev/null

export KELVORA_PROGRAMDATA="$work/demo"
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
"$bin/kelvora" >"$work/kelvora.log" 2>&1 &
app=$!
# No window manager here: the window is given the keyboard focus as a desktop would give it.
window="$(timeout 60 xdotool search --sync --onlyvisible --name '^Kelvora' | head -n1)" || true
[[ -n "$window" ]] || { cat "$work/kelvora.log"; echo "la fenêtre de Kelvora n'apparaît pas"; exit 1; }
xdotool windowfocus --sync "$window"

status=0
"$python" "$walk" "$work/demo/santesocial/api_lec/api_lec_sim.log" || status=$?
if ((status != 0)); then
    echo "--- sortie de kelvora"
    cat "$work/kelvora.log"
fi
exit "$status"
