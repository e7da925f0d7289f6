#!/usr/bin/env bash
# Acceptance of the Debian packages on this machine, as root: build, install, a reading by a
# member of the group kelvora under Xvfb, a start by a user outside the group, then a newer
# release published in a signed apt repository and taken both by the system's own
# `apt-get update && apt-get upgrade` and by the program through the real pkexec and polkit,
# while an expired or foreign-signed repository gets nothing installed on either path; remove,
# purge, lintian. Each step prints « ok » or « ÉCHEC »; the script fails if any step failed.
# The packages built here are for acceptance only: their update check and apt repository are
# this script's loopback server, and their release key a throw-away one shaped like the real
# one (certify-only primary key, signing subkey), kept in build-package/recette-gnupg.
#   scripts/check-package.sh [--no-build]   (--no-build: reuse the packages in build-package/)
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-package"
data=/var/lib/Talvix/kelvoraps
reader=/var/lib/santesocial/api_lec
member=kvmembre
outsider=kvexterne
admin=kvadmin
port=18443
keyhome="$out/recette-gnupg"
# shellcheck source=SCRIPTDIR/check-steps.sh
. "$(dirname "$0")/check-steps.sh"
stat_is() { # stat_is FILE FORMAT EXPECTED: says what it found when it differs
    local found
    found="$(stat -c "$2" "$1" 2>&1)"
    [[ "$found" == "$3" ]] || { echo "       | $1 : « $found », attendu « $3 »"; return 1; }
}
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
known() { dpkg-query -W "$1" >/dev/null 2>&1; }
none_installed() { ! installed kelvora && ! installed kelvora-formation; }
none_known() { ! known kelvora && ! known kelvora-formation; }
apt() { DEBIAN_FRONTEND=noninteractive apt-get -y -qq "$@" >/dev/null 2>&1; }

if ((EUID != 0)); then
    echo "check-package.sh : à lancer en root" >&2
    exit 2
fi

# A session as an ordinary user, with its own home and nothing of root's environment, on a
# virtual screen; runs the bash script given on standard input.
as_user() {
    local user="$1"
    shift
    runuser -u "$user" -- env -i HOME="/home/$user" USER="$user" LOGNAME="$user" \
        PATH=/usr/bin:/bin LANG=fr_FR.UTF-8 "$@" \
        xvfb-run -a -s "-screen 0 1024x768x24" bash -s
}

cleanup() {
    for user in "$member" "$outsider" "$admin"; do
        if id "$user" >/dev/null 2>&1; then userdel -r "$user" >/dev/null 2>&1; fi
    done
    if [[ -n "${server_pid:-}" ]]; then kill "$server_pid" 2>/dev/null; fi
}
trap cleanup EXIT

gpg_test() { gpg --homedir "$keyhome" --batch --quiet --pinentry-mode loopback --passphrase '' "$@"; }

echo "== construction"
if [[ "${1:-}" == "--no-build" ]]; then
    echo "       (paquets existants de build-package/)"
else
    # The log goes with the packages, in the ignored build folder, not into the checkout.
    mkdir -p "$out"
    rm -rf "$keyhome"
    mkdir -m 700 "$keyhome"
    gpg_test --quick-gen-key "Kelvora recette <recette@kelvora.invalid>" ed25519 cert never
    gpg_test --quick-add-key "$(gpg_test --list-keys --with-colons | awk -F: '/^fpr/ {print $10; exit}')" ed25519 sign 2y
    gpg_test --export >"$keyhome/keyring.gpg"
    # One line: debian/rules puts it into dh_auto_configure's command line.
    KELVORA_CMAKE_ARGS="-DKELVORA_UPDATE_URL=http://127.0.0.1:$port/obtenir-derniere-version.php"
    KELVORA_CMAKE_ARGS+=" -DKELVORA_APT_URL=http://127.0.0.1:$port/depot"
    KELVORA_CMAKE_ARGS+=" -DKELVORA_UPDATE_KEYRING_SOURCE=$keyhome/keyring.gpg"
    export KELVORA_CMAKE_ARGS
    if "$root/scripts/package.sh" >"$out/package.log" 2>&1; then
        ok "scripts/package.sh construit les paquets (journal : $out/package.log)"
    else
        fail "scripts/package.sh (voir $out/package.log)"
        exit 1
    fi
fi
debs=("$out"/kelvora_*.deb "$out"/kelvora-formation_*.deb)
check "deux paquets : ${debs[*]##*/}" test -f "${debs[0]}" -a -f "${debs[1]}"

echo "== installation"
for p in kelvora-formation kelvora; do
    if known "$p"; then apt purge "$p"; fi
done
rm -rf "$data" "$reader"
if apt install "${debs[@]}"; then
    ok "apt-get install des deux paquets"
else
    fail "apt-get install des deux paquets"
    exit 1
fi
check "/usr/bin/kelvora mène à /usr/lib/kelvora/kelvora" \
    test "$(readlink -f /usr/bin/kelvora)" = /usr/lib/kelvora/kelvora
check "logo et bibliothèque à côté du programme" \
    test -f /usr/lib/kelvora/attest.vqi -a -e /usr/lib/kelvora/libapi_lec.so
check "module réseau à côté du programme : root, 0644" \
    stat_is /usr/lib/kelvora/libkelvora_network.so '%U:%G %a' 'root:root 644'
# Qt Network and what it pulls in are loaded on the first transfer only, never at start-up.
for program in kelvora kelvora-admin kelvora-installer; do
    check "$program ne dépend pas de Qt Network" \
        bash -c "! ldd /usr/lib/kelvora/$program | grep -q -E 'Network|krb5|proxy'"
done
check "groupe système kelvora" bash -c "getent group kelvora >/dev/null"
for dir in "$data" "$reader"; do
    check "$dir : root:kelvora 2770" stat_is "$dir" '%U:%G %a' 'root:kelvora 2770'
done
check "base de configuration créée, 0660 groupe kelvora" \
    stat_is "$data/attest.vqs" '%G %a' 'kelvora 660'
check "scénario de démonstration en place" test -f "$reader/api_lec_sim.ini"
helper=/usr/lib/kelvora/kelvora-installer
check "assistant de mise à jour $helper : root, 0755, sans setuid" \
    stat_is "$helper" '%U:%G %a' 'root:root 755'
check "action polkit fr.kelvora.installer installée pour $helper" \
    grep -q "exec.path\">$helper<" /usr/share/polkit-1/actions/fr.kelvora.installer.policy
check "pkexec installé" test -x /usr/bin/pkexec

cleanup
useradd -m -s /bin/bash "$member"
useradd -m -s /bin/bash "$outsider"
usermod -a -G kelvora "$member"

echo "== lecture par un membre du groupe kelvora ($member)"
# Type the PIN in the window, press Enter, wait for the certificate (the day's first reading also
# tries the update server, which may be unreachable here), then close the program.
as_user "$member" >"/tmp/check-package-$member.log" 2>&1 <<SCRIPT
cd "\$HOME"
kelvora & pid=\$!
window=\$(timeout 30 xdotool search --sync --onlyvisible --pid "\$pid" --name Kelvora | head -n1)
[[ -n "\$window" ]] || { echo "pas de fenêtre"; kill "\$pid"; exit 1; }
echo "icône : \$(xprop -id "\$window" _NET_WM_ICON | head -c 40)"
xdotool windowfocus --sync "\$window"
xdotool type --delay 100 1234
xdotool key Return
for _ in \$(seq 120); do
    [[ -s "$data/attestation.pdf" ]] && break
    sleep 1
done
sleep 2
kill "\$pid" 2>/dev/null
wait "\$pid"
exit 0
SCRIPT
pdf="$data/attestation.pdf"
check "la fenêtre porte une icône" grep -q "icône : _NET_WM_ICON(CARDINAL) =" "/tmp/check-package-$member.log"
check "attestation.pdf écrite dans $data" test -s "$pdf"
check "attestation.pdf en mode 0660, groupe kelvora" stat_is "$pdf" '%a %G' '660 kelvora'
check "attestation.pdf lisible : « Attestation de droits »" \
    bash -c "pdftotext '$pdf' - 2>/dev/null | grep -q 'Attestation de droits'"

echo "== lecture sans écran par le même compte (kelvora-admin lecture)"
as_user "$member" >"/tmp/check-package-lecture.log" 2>&1 <<SCRIPT
echo 1234 | kelvora-admin lecture /var/lib --copie "\$HOME"
SCRIPT
lecture_status=$?
check "kelvora-admin lecture : toutes les étapes validées" test "$lecture_status" = 0
check "kelvora-admin lecture : copie nommée au nom du patient" \
    bash -c "ls /home/$member/Attestation_*_*_*.pdf >/dev/null 2>&1"
if [[ "$lecture_status" != 0 ]]; then sed 's/^/       | /' /tmp/check-package-lecture.log; fi
open_files="$(find "$data" "$reader" -mindepth 1 \( -perm -o=r -o -perm -o=w \) -printf '       | %m %p\n')"
check "aucun fichier ouvert aux autres comptes dans les dossiers partagés" test -z "$open_files"
if [[ -n "$open_files" ]]; then echo "$open_files"; fi

echo "== réinstallation"
store_before="$(md5sum <"$data/attest.vqs")"
apt install --reinstall "${debs[@]}"
check "une réinstallation garde la base telle quelle" \
    test "$(md5sum <"$data/attest.vqs")" = "$store_before"

echo "== démarrage par un utilisateur hors du groupe ($outsider)"
# One message box, closed with Enter; the program then ends by itself, not by a signal.
as_user "$outsider" >"/tmp/check-package-$outsider.log" 2>&1 <<'SCRIPT'
cd "$HOME"
kelvora 2>"$HOME/stderr.txt" & pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" --name . | head -n1)
[[ -n "$window" ]] || { echo "fenêtres : aucune"; kill "$pid"; exit 1; }
echo "fenêtre : $(xdotool getwindowname "$window")"
xdotool windowfocus --sync "$window"
xdotool key Return
for _ in $(seq 10); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "toujours ouvert après Entrée :"
    for w in $(xdotool search --onlyvisible --pid "$pid" --name .); do
        echo "  fenêtre : $(xdotool getwindowname "$w")"
    done
    kill "$pid"
    exit 1
fi
wait "$pid"
status=$?
echo "code de sortie : $status"
cat "$HOME/stderr.txt"
((status < 128))
SCRIPT
outsider_status=$?
check "le programme se ferme après le message, sans plantage" test "$outsider_status" = 0
check "le message nomme le dossier et le groupe kelvora (stderr)" \
    bash -c "grep -q '$data' /tmp/check-package-$outsider.log &&
             grep -qi 'groupe.*kelvora' /tmp/check-package-$outsider.log"
sed 's/^/       | /' "/tmp/check-package-$outsider.log"

echo "== source apt du paquet"
sources=/etc/apt/sources.list.d/kelvora.sources
check "$sources installé, fichier de configuration (conffile)" \
    bash -c "dpkg-query -W -f='\${Conffiles}' kelvora | grep -q ' $sources '"
check "$sources : Signed-By ne nomme que le trousseau de Kelvora" \
    bash -c "[[ \"\$(grep '^Signed-By:' $sources)\" == 'Signed-By: /usr/share/keyrings/kelvora-archive-keyring.gpg' ]]"
check "$sources : échéance et date vérifiées quelle que soit la configuration d'apt" \
    bash -c "grep -q '^Check-Valid-Until: yes' $sources && grep -q '^Check-Date: yes' $sources"
check "aucune clé de Kelvora dans trusted.gpg.d" \
    bash -c "! ls /etc/apt/trusted.gpg.d/ 2>/dev/null | grep -qi kelvora"
helper=/usr/lib/kelvora/kelvora-installer
"$helper" /tmp/paquet.deb >/tmp/check-package-argument.log 2>&1
check "l'assistant refuse tout argument (code 2)" test $? = 2

echo "== dépôt des mises à jour (publish-update.sh, serveur local)"
fingerprint="$(gpg_test --list-keys --with-colons | awk -F: '/^fpr/ {print $10; exit}')"
work="$(mktemp -d)"
chmod 755 "$work"
version="$(dpkg-deb -f "${debs[0]}" Version)"
newer="$version+verif1"
dpkg-deb -R "${debs[0]}" "$work/paquet"
sed -i "s/^Version: .*/Version: $newer/" "$work/paquet/DEBIAN/control"
dpkg-deb --root-owner-group -b "$work/paquet" "$work/kelvora_${newer}_amd64.deb" >/dev/null
rm -rf "$work/paquet"
publish() { # publish FOLDER GNUPG-HOME KEYRING FINGERPRINT
    GNUPGHOME="$2" KELVORA_KEYRING="$3" "$root/scripts/publish-update.sh" --key "$4" --out "$1" \
        "$work/kelvora_${newer}_amd64.deb" >>"$work/publication.log" 2>&1
}
check "publish-update.sh publie $newer, signé par la clé de recette" \
    publish "$work/valide" "$keyhome" "$keyhome/keyring.gpg" "$fingerprint"
check "InRelease : Origin et Label Kelvora, Valid-Until sept jours après Date" bash -c "
    r='$work/valide/dists/stable/InRelease'
    grep -q '^Origin: Kelvora' \$r && grep -q '^Label: Kelvora' \$r && grep -q '^Suite: stable' \$r &&
    d=\$(date -d \"\$(sed -n 's/^Date: //p' \$r)\" +%s) &&
    v=\$(date -d \"\$(sed -n 's/^Valid-Until: //p' \$r)\" +%s) && ((v - d == 7 * 86400))"
check "InRelease signé en SHA512" grep -q '^Hash: SHA512' "$work/valide/dists/stable/InRelease"
# Expired: the same repository, its dates moved back and re-signed with the same key.
cp -a "$work/valide" "$work/expire"
sed -i -e "s/^Date: .*/Date: $(LC_ALL=C date -u -d '-10 days' '+%a, %d %b %Y %H:%M:%S UTC')/" \
    -e "s/^Valid-Until: .*/Valid-Until: $(LC_ALL=C date -u -d '-3 days' '+%a, %d %b %Y %H:%M:%S UTC')/" \
    "$work/expire/dists/stable/Release"
GNUPGHOME="$keyhome" KELVORA_RELEASE_KEY="$fingerprint" "$root/scripts/sign-release.sh" \
    "$work/expire/dists/stable/Release" "$work/expire/dists/stable/InRelease" \
    "$work/expire/dists/stable/Release.gpg"
# Foreign: the same release, published with another key.
mkdir -m 700 "$work/autre-gnupg"
gpg --homedir "$work/autre-gnupg" --batch --quiet --passphrase '' --quick-gen-key autre ed25519 sign never 2>/dev/null
gpg --homedir "$work/autre-gnupg" --export >"$work/autre-gnupg/keyring.gpg"
publish "$work/etranger" "$work/autre-gnupg" "$work/autre-gnupg/keyring.gpg" \
    "$(gpg --homedir "$work/autre-gnupg" --with-colons --list-keys | awk -F: '/^fpr/ {print $10; exit}')"
gpgconf --homedir "$work/autre-gnupg" --kill gpg-agent
# One server: the program's check (POST answers "update") and the repository under /depot,
# whichever of the three $work/servi points to.
cat >"$work/serveur.py" <<'PY'
import http.server, os, sys
folder, port = sys.argv[1], int(sys.argv[2])
class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=folder, **kwargs)
    def do_POST(self):
        self.rfile.read(int(self.headers.get("Content-Length", 0)))
        self.send_response(200)
        self.send_header("Content-Length", "6")
        self.end_headers()
        self.wfile.write(b"update")
    def translate_path(self, path):
        return super().translate_path(path.replace("/depot/", "/servi/", 1))
    def log_message(self, *args):
        sys.stderr.write("serveur : %s\n" % (args[0] % args[1:]))
http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler).serve_forever()
PY
serve() { ln -sfn "$work/$1" "$work/servi"; }
serve valide
/usr/bin/python3 "$work/serveur.py" "$work" "$port" 2>/tmp/check-package-serveur.log &
server_pid=$!
sleep 1

echo "== mises à jour du système : apt-get update && apt-get upgrade"
# The machine's own apt settings (here Acquire::Check-Valid-Until "false", if the build machine
# has it) with the package's source alone, so that no other package of the machine moves.
# No index of an earlier run: apt keeps using an earlier, still valid index when a new one is
# refused, and that is what these cases must not lean on.
rm -f /var/lib/apt/lists/127.0.0.1:"${port}"_depot_*
system_parts="$work/sources-systeme"
mkdir "$system_parts"
cp "$sources" "$system_parts/"
system_update() {
    DEBIAN_FRONTEND=noninteractive apt-get -o Dir::Etc::sourcelist=/dev/null \
        -o Dir::Etc::sourceparts="$system_parts" "$@"
}
for case in expire etranger; do
    serve "$case"
    system_update update >"/tmp/check-package-apt-$case.log" 2>&1
    update_status=$?
    system_update -y upgrade >>"/tmp/check-package-apt-$case.log" 2>&1
    check "dépôt $case : apt-get update refuse ($update_status), rien n'est installé" \
        test "$update_status" != 0 -a "$(dpkg-query -W -f='${Version}' kelvora)" = "$version"
    grep '^E:' "/tmp/check-package-apt-$case.log" | sed 's/^/       | /'
done
serve valide
start_ns=$(date +%s%N)
system_update update >/tmp/check-package-apt-valide.log 2>&1 &&
    system_update -y upgrade >>/tmp/check-package-apt-valide.log 2>&1
check "apt-get update && apt-get upgrade installe $newer ($((($(date +%s%N) - start_ns) / 1000000)) ms)" \
    test "$(dpkg-query -W -f='${Version}' kelvora)" = "$newer"
check "kelvora-formation reste installé après apt-get upgrade" installed kelvora-formation
apt install --allow-downgrades "${debs[@]}"
check "retour à $version pour la mise à jour par le programme" \
    test "$(dpkg-query -W -f='${Version}' kelvora)" = "$version"

echo "== mise à jour par le programme, avec le vrai pkexec ($member, mot de passe de $admin)"
# A system bus and polkitd as on a desktop; an administrator in the group sudo (polkit's admin
# rule on Debian); a text agent run by the member for the program's process, answered through
# tmux as a person would type. The program checks the update on the loopback server, then
# « Télécharger » hands over to the helper through pkexec, and apt does the rest.
# The program's check records its date in the store; everything else in it must stay.
store_rows() {
    local query
    for query in "SELECT * FROM fichiers" "SELECT * FROM erreur" \
        "SELECT * FROM configuration WHERE id <> 'date_maj'"; do
        kelvora-admin sql "$data/attest.vqs" "$query" 2>&1
    done
}
rows_before="$(store_rows)"
# A socket left by a bus that has since died answers nothing: it is replaced.
if ! dbus-send --system --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.GetId >/dev/null 2>&1; then
    mkdir -p /run/dbus
    rm -f /run/dbus/system_bus_socket /run/dbus/pid
    dbus-daemon --system --fork
fi
if ! pgrep -x polkitd >/dev/null; then
    /usr/lib/polkit-1/polkitd --no-debug >/tmp/check-package-polkitd.log 2>&1 &
    sleep 2
fi
password="Adm1n-$RANDOM$RANDOM"
useradd -m -s /bin/bash -G sudo "$admin"
echo "$admin:$password" | chpasswd
# program_update CASE: the member starts the program, asks for the update, clicks the download
# button and types the administrator's password into the agent. Writes what the program said
# (the title of its box, if any) and its exit into /tmp/check-package-maj-CASE.log.
program_update() {
    local case="$1"
    # Each case from no index of this repository: apt would go on using an earlier, still valid
    # one (the web server may also answer "not modified" within the same second).
    rm -f /var/lib/apt/lists/127.0.0.1:"${port}"_depot_*
    rm -f "/tmp/check-package-maj-$case.png"
    as_user "$member" >"/tmp/check-package-maj-$case.log" 2>&1 <<SCRIPT
cd "\$HOME"
kelvora & pid=\$!
window=\$(timeout 30 xdotool search --sync --onlyvisible --pid "\$pid" --name Kelvora | head -n1)
[[ -n "\$window" ]] || { echo "pas de fenêtre"; kill "\$pid"; exit 1; }
tmux new-session -d -s agent -x 200 -y 50 "pkttyagent --process \$pid"
sleep 1
xdotool windowfocus --sync "\$window"
xdotool key alt+m
sleep 4
# The download button, in the middle of the update page.
xdotool mousemove --window "\$window" 308 235 click 1
for _ in \$(seq 60); do
    tmux capture-pane -p -t agent 2>/dev/null | grep -q "Password:" && break
    sleep 1
done
echo "--- agent :"
tmux capture-pane -p -t agent | grep -v '^\$'
tmux send-keys -t agent "$password" Enter
for _ in \$(seq 180); do
    kill -0 "\$pid" 2>/dev/null || break
    box=\$(xdotool search --all --onlyvisible --pid "\$pid" --name "Erreur" 2>/dev/null | head -n1)
    if [[ -n "\$box" ]]; then
        sleep 1
        echo "boîte : \$(xdotool getwindowname "\$box")"
        import -window root "/tmp/check-package-maj-$case.png"
        echo "texte lu : \$(tesseract "/tmp/check-package-maj-$case.png" - -l fra 2>/dev/null | tr '\n' ' ')"
        kill "\$pid"
        break
    fi
    sleep 1
done
if kill -0 "\$pid" 2>/dev/null; then
    echo "le programme ne s'est pas fermé"
    kill "\$pid"
fi
wait "\$pid"
echo "code de sortie du programme : \$?"
tmux kill-server 2>/dev/null
exit 0
SCRIPT
    sed 's/^/       | /' "/tmp/check-package-maj-$case.log"
}
serve expire
program_update expire
check "dépôt expiré : le programme le dit (« Erreur durant le téléchargement... »), rien n'est installé" \
    bash -c "grep -q 'boîte : Erreur durant le téléchargement' /tmp/check-package-maj-expire.log &&
             grep -q -E 'expir|Consultez' /tmp/check-package-maj-expire.log &&
             [[ \$(dpkg-query -W -f='\${Version}' kelvora) == '$version' ]]"
serve etranger
program_update etranger
check "dépôt signé par une autre clé : le programme le dit, rien n'est installé" \
    bash -c "grep -q 'boîte : Erreur durant le téléchargement' /tmp/check-package-maj-etranger.log &&
             [[ \$(dpkg-query -W -f='\${Version}' kelvora) == '$version' ]]"
serve valide
start_ns=$(date +%s%N)
program_update valide
check "le programme a demandé le mot de passe de $admin par pkexec, installé $newer et s'est fermé ($((($(date +%s%N) - start_ns) / 1000000)) ms)" \
    bash -c "grep -q 'Password:' /tmp/check-package-maj-valide.log &&
             ! grep -q 'boîte :\\|ne s.est pas fermé' /tmp/check-package-maj-valide.log &&
             [[ \$(dpkg-query -W -f='\${Version}' kelvora) == '$newer' ]]"
kill "$server_pid" 2>/dev/null
server_pid=
sed 's/^/       | /' /tmp/check-package-serveur.log | grep -v 'dists\|pool' | tail -5
check "kelvora-formation reste installé après la mise à jour de kelvora" installed kelvora-formation
check "la base est gardée par la mise à jour (hors la date du contrôle)" \
    test "$(store_rows)" = "$rows_before"
check "rien de téléchargé dans $data" test -z "$(find "$data" -name 'kelvoraps-last*')"
check "dossier de travail de l'assistant : root:root 0700" \
    stat_is /var/cache/kelvora '%U:%G %a' 'root:root 700'
userdel -r "$admin" >/dev/null 2>&1
rm -rf "$work"

echo "== désinstallation"
apt remove kelvora-formation kelvora
check "apt-get remove : paquets retirés" none_installed
check "apt-get remove : données gardées (base, attestation)" test -f "$data/attest.vqs" -a -f "$pdf"
check "apt-get remove : fichiers du lecteur gardés" test -f "$reader/api_lec.ini"
apt purge kelvora-formation kelvora
check "apt-get purge : paquets purgés" none_known
check "apt-get purge : dossier de données supprimé" test ! -e "$data"
check "apt-get purge : dossier du lecteur vidé et supprimé" test ! -e "$reader"
check "apt-get purge : dossier de travail de l'assistant supprimé" test ! -e /var/cache/kelvora

echo "== lintian"
if lintian --fail-on error "${debs[@]}" >/tmp/check-package-lintian.log 2>&1; then
    ok "lintian : aucune erreur"
else
    fail "lintian signale des erreurs"
fi
grep -v '^running with root' /tmp/check-package-lintian.log | sed 's/^/       | /'

echo "== $failures échec(s)"
((failures == 0))
