#!/usr/bin/env bash
# The packages built on this Debian 12 machine, tried on Debian 13 as a practice would meet them
# after an upgrade: a clean Debian 13 root from Debian's archive (mmdebstrap) that already holds a
# store made by Debian 12's Kelvora; apt installs both packages there, the store keeps every row,
# a member of the group kelvora reads the demo card without a screen (kelvora-admin lecture), the
# window starts with its icons under Xvfb, and Debian 13's lintian judges the packages. Each step
# prints « ok » or « ÉCHEC »; the script fails if any step failed. The root is made anew each time
# and deleted at the end. The system bus, polkitd and pkexec do not run in a root: the update
# through the program stays with scripts/check-package.sh, on this machine.
#   scripts/check-package-debian13.sh [--no-build]   (--no-build: the packages in build-package/)
set -uo pipefail
tree="$(cd "$(dirname "$0")/.." && pwd)"
out="$tree/build-package"
# shellcheck source=SCRIPTDIR/debian-root.sh
. "$tree/scripts/debian-root.sh"
# shellcheck source=SCRIPTDIR/check-steps.sh
. "$(dirname "$0")/check-steps.sh"

if ((EUID != 0)); then
    echo "check-package-debian13.sh : à lancer en root" >&2
    exit 2
fi
# shellcheck source=/dev/null
. /etc/os-release
if [[ "${VERSION_CODENAME:-}" != bookworm ]]; then
    echo "check-package-debian13.sh : les paquets se construisent sur Debian 12" >&2
    exit 2
fi

if [[ "${1:-}" != "--no-build" ]]; then
    echo "== construction sur Debian 12"
    mkdir -p "$out"
    "$tree/scripts/package.sh" >"$out/package.log" 2>&1 || {
        fail "scripts/package.sh (voir $out/package.log)"
        exit 1
    }
fi
debs=("$out"/kelvora_*.deb "$out"/kelvora-formation_*.deb)
check "deux paquets : ${debs[*]##*/}" test -f "${debs[0]}" -a -f "${debs[1]}" || exit 1

work="$(mktemp -d /var/tmp/kelvora-debian13.XXXXXX)"
root="$work/racine"
cleanup() { rm -rf "$work"; }
trap cleanup EXIT

echo "== une base faite par le Kelvora de Debian 12"
# The packaged kelvora-admin, run here on Debian 12 with its SQLCipher 3, makes the store an
# installation of an earlier release holds; one row is changed as the program changes it.
mkdir -p "$work/deb12"
dpkg-deb -x "${debs[0]}" "$work/deb12"
admin12="$work/deb12/usr/lib/kelvora/kelvora-admin"
store12="$work/attest.vqs"
"$admin12" init-store "$store12" &&
    "$admin12" sql "$store12" "UPDATE configuration SET valeur='20251124' WHERE id='date_maj'" \
        >/dev/null
rows_sql="SELECT 'configuration', id, valeur FROM configuration UNION ALL
    SELECT 'erreur', id, bloquant FROM erreur UNION ALL
    SELECT 'fichiers', id, nom || '|' || dossier || '|' || taille FROM fichiers ORDER BY 1, 2"
"$admin12" sql "$store12" "$rows_sql" >"$work/rows12.txt" 2>&1
check "base SQLCipher 3 écrite : $(wc -l <"$work/rows12.txt") lignes" \
    grep -q "20251124" "$work/rows12.txt"

echo "== racine Debian 13 propre"
start=$SECONDS
make_root trixie "$root" || {
    fail "mmdebstrap trixie"
    exit 1
}
ok "racine faite en $((SECONDS - start)) s"
mkdir -p "$root/var/lib/Talvix/kelvoraps" "$root/paquets"
cp "$store12" "$root/var/lib/Talvix/kelvoraps/attest.vqs"
cp "$work/rows12.txt" "$root/paquets/rows12.txt"
printf '%s' "$rows_sql" >"$root/paquets/rows-sql.txt"
printf '%s' "UPDATE configuration SET valeur='20261211' WHERE id='date_maj'" \
    >"$root/paquets/date-sql.txt"
cp "${debs[@]}" "$root/paquets/"

# Run inside the root; prints its own « ok »/« ÉCHEC » lines, counted here.
inside="$(cat <<'INSIDE'
set +e
ok() { echo "ok     - $*"; }
fail() { echo "ÉCHEC  - $*"; }
check() { local what="$1"; shift; if "$@"; then ok "$what"; else fail "$what"; fi; }
store=/var/lib/Talvix/kelvoraps/attest.vqs
# As the Debian 12 package left it: its system group, the group's store in 0660. (The root has no
# groupadd yet: the package brings it.)
echo "kelvora:x:990:" >>/etc/group
chown root:kelvora "$store"
chmod 0660 "$store"
sum_before="$(md5sum <"$store")"
echo "== installation sur $(. /etc/os-release && echo "$PRETTY_NAME")"
apt-get update -qq
if apt-get install -y -qq /paquets/kelvora_*.deb /paquets/kelvora-formation_*.deb \
    >/paquets/install.log 2>&1; then
    ok "apt-get install des deux paquets"
else
    fail "apt-get install des deux paquets"
    sed "s/^/       | /" /paquets/install.log | tail -20
    exit 0
fi
echo "   dépendances résolues :"
dpkg-query -W -f="       | \${Package} \${Version}\n" libsqlcipher1 libsqlcipher0 qt6-svg-plugins \
    libqt6svg6 libqt6core6t64 libqt6core6 qt6-qpa-plugins qt6-translations-l10n pkexec \
    cups-client xdg-utils libxml2 libjpeg62-turbo pcscd libccid libpcsclite1 2>/dev/null
check "la base existante est gardée telle quelle" test "$(md5sum <"$store")" = "$sum_before"
check "SQLCipher 4 (libsqlcipher.so.1) présent" test -e /usr/lib/x86_64-linux-gnu/libsqlcipher.so.1
kelvora-admin sql "$store" "$(cat /paquets/rows-sql.txt)" >/paquets/rows13.txt 2>&1
check "la base de Debian 12 s'ouvre sous SQLCipher 4 avec toutes ses lignes" \
    cmp -s /paquets/rows12.txt /paquets/rows13.txt ||
    diff /paquets/rows12.txt /paquets/rows13.txt | sed "s/^/       | /"

echo "== lecture sans écran par un membre du groupe kelvora"
useradd -m -s /bin/bash kvmembre
usermod -a -G kelvora kvmembre
if runuser -u kvmembre -- env -i HOME=/home/kvmembre PATH=/usr/bin:/bin LANG=C.UTF-8 \
    sh -c "echo 1234 | kelvora-admin lecture /var/lib --copie /home/kvmembre" \
    >/paquets/lecture.log 2>&1; then
    ok "kelvora-admin lecture : toutes les étapes validées"
else
    fail "kelvora-admin lecture"
    sed "s/^/       | /" /paquets/lecture.log | tail -20
fi
check "copie nommée au nom du patient" \
    sh -c "ls /home/kvmembre/Attestation_*_*_*.pdf >/dev/null 2>&1"
check "un membre écrit dans la base gardée (date_maj)" \
    runuser -u kvmembre -- kelvora-admin sql "$store" "$(cat /paquets/date-sql.txt)"
cp "$store" /paquets/attest-debian13.vqs

echo "== la fenêtre sous Xvfb, avec ses icônes"
apt-get install -y -qq --no-install-recommends xvfb xauth >/dev/null 2>&1
runuser -u kvmembre -- env -i HOME=/home/kvmembre PATH=/usr/bin:/bin LANG=C.UTF-8 \
    timeout 10 xvfb-run -a kelvora >/paquets/fenetre.log 2>&1 || :
check "la fenêtre démarre sans icône manquante (qt6-svg-plugins)" \
    sh -c "! grep -q -e \"null pixmap\" -e \"Cannot load\" /paquets/fenetre.log"
grep -i -e pixmap -e svg /paquets/fenetre.log | head -3 | sed "s/^/       | /"

echo "== lintian de Debian 13"
apt-get install -y -qq --no-install-recommends lintian >/dev/null 2>&1
if lintian --display-level ">=warning" /paquets/kelvora_*.deb /paquets/kelvora-formation_*.deb \
    >/paquets/lintian.log 2>&1; then
    ok "lintian : aucune erreur"
else
    fail "lintian"
fi
sed "s/^/       | /" /paquets/lintian.log
INSIDE
)"
in_root "$root" "$inside" | tee "$work/root.log"
root_failures="$(grep -c '^ÉCHEC' "$work/root.log")"
failures=$((failures + root_failures))

echo "== la base écrite sur Debian 13, relue par le Kelvora de Debian 12"
# Stores are kept in SQLCipher 3's format on both releases, so even the way back holds.
if [[ -f "$root/paquets/attest-debian13.vqs" ]]; then
    "$admin12" sql "$root/paquets/attest-debian13.vqs" "$rows_sql" >"$work/rows-back.txt" 2>&1
    check "toutes les lignes, date_maj écrite par Debian 13" \
        grep -q "configuration|date_maj|20261211" "$work/rows-back.txt"
    check "les autres lignes inchangées" \
        cmp -s <(grep -v date_maj "$work/rows12.txt") <(grep -v date_maj "$work/rows-back.txt")
else
    fail "pas de base écrite sur Debian 13"
fi

echo "== $failures échec(s)"
((failures == 0))
