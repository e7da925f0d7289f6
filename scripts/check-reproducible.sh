#!/usr/bin/env bash
# Checks that the published packages can be checked against the source, from the last commit:
#  - two builds by scripts/package.sh give bit-identical .deb files, the second one in another
#    path, 400 days later (faketime), under umask 077, time zone UTC+14, a French locale and a
#    shuffled directory order (disorderfs); on a difference, diffoscope shows it;
#  - hardening-check passes on every ELF file of kelvora and kelvora-formation (the -dbgsym
#    packages aside), and every object the build compiled carries the control-flow note that
#    the link states for the whole program.
# As root (disorderfs mounts a folder). Builds into build-reproducible/: two package builds,
# several minutes each.
#   scripts/check-reproducible.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$root/build-reproducible"
first="$work/a"
# The second build runs through disorderfs, at a path of another length.
second_disk="$work/disque-b"
second="$work/un-autre-chemin/b"

if ((EUID != 0)); then
    echo "check-reproducible.sh : à lancer en root" >&2
    exit 1
fi
"$root/scripts/install-deps.sh"

unmount_second() {
    if mountpoint -q "$second"; then
        umount "$second"
    fi
}
trap unmount_second EXIT
unmount_second
rm -rf "$work"
mkdir -p "$first" "$second_disk" "$second"

# build NAME FOLDER COMMAND...: one package build into FOLDER; its log in build-reproducible/.
build() {
    local name="$1" folder="$2"
    shift 2
    local start=$SECONDS
    if ! "$@" "$root/scripts/package.sh" "$folder" >"$work/$name.log" 2>&1; then
        tail -n 30 "$work/$name.log" >&2
        echo "check-reproducible.sh : la construction $name a échoué (journal : $work/$name.log)" >&2
        exit 1
    fi
    echo "construction $name : $((SECONDS - start)) s dans $folder, umask $(umask)," \
        "$("$@" date '+%F %T %Z'), $("$@" locale | sed -n 's/^LC_ALL=//p') (journal : $work/$name.log)"
}

echo "== deux constructions du commit $(git -C "$root" rev-parse --short HEAD)"
(
    umask 022
    build a "$first" env TZ=UTC LC_ALL=C.UTF-8 LANG=C.UTF-8
)
disorderfs --shuffle-dirents=yes "$second_disk" "$second" >/dev/null
(
    umask 077
    build b "$second" env TZ=Pacific/Kiritimati LC_ALL=fr_FR.UTF-8 LANG=fr_FR.UTF-8 \
        faketime -f +400d
)

echo "== paquets"
status=0
mapfile -t debs < <(cd "$first" && ls -- *.deb)
mapfile -t second_debs < <(cd "$second" && ls -- *.deb)
if [[ "${debs[*]}" != "${second_debs[*]}" ]]; then
    echo "check-reproducible.sh : les deux constructions ne donnent pas les mêmes paquets :" \
        "${debs[*]} / ${second_debs[*]}" >&2
    exit 1
fi
for deb in "${debs[@]}"; do
    sum_first="$(sha256sum <"$first/$deb" | cut -d' ' -f1)"
    sum_second="$(sha256sum <"$second/$deb" | cut -d' ' -f1)"
    echo "$sum_first $sum_second $deb"
    if [[ "$sum_first" != "$sum_second" ]]; then
        diffoscope --text - "$first/$deb" "$second/$deb" || true
        status=1
    fi
done
if ((status)); then
    echo "check-reproducible.sh : paquets différents d'une construction à l'autre" >&2
else
    echo "paquets identiques"
fi

echo "== options de compilation (journal de la construction a)"
# hardening-check reads fortify and stack-clash protection off the machine code, where a file
# may give no sign either way; the compile lines say what every object was built with.
required_flags=(-O2 -D_FORTIFY_SOURCE=2 -fstack-protector-strong -fstack-clash-protection)
if [[ "$(dpkg --print-architecture)" == amd64 ]]; then
    required_flags+=(-fcf-protection=full)
fi
compile_count=0
lacking=()
while IFS= read -r line; do
    compile_count=$((compile_count + 1))
    for flag in "${required_flags[@]}"; do
        [[ " $line " == *" $flag "* ]] || lacking+=("${line##* } ($flag)")
    done
done < <(grep -E '^\[[0-9]+/[0-9]+\] /usr/bin/(c\+\+|cc|g\+\+|gcc) .* -c ' "$work/a.log")
if ((compile_count == 0 || ${#lacking[@]})); then
    echo "check-reproducible.sh : $compile_count compilations, options manquantes :" \
        "${lacking[*]}" >&2
    status=1
else
    echo "$compile_count compilations, toutes avec ${required_flags[*]}"
fi

echo "== hardening-check"
# The stand-in card library calls memcpy, memset and memmove only on buffers whose size the
# compiler cannot know (std::string, std::vector), so no call can be fortified, even at
# _FORTIFY_SOURCE=3, and hardening-check's heuristic calls that a failure; its compile lines
# carry -D_FORTIFY_SOURCE=2 like every other (checked above).
contents="$work/contenu"
for deb in "$first"/kelvora_*.deb "$first"/kelvora-formation_*.deb; do
    dpkg-deb -x "$deb" "$contents"
done
elf_count=0
while IFS= read -r -d '' file; do
    [[ "$(head -c 4 "$file" | od -An -tx1 | tr -d ' \n')" == 7f454c46 ]] || continue
    elf_count=$((elf_count + 1))
    case "$(basename "$file")" in
        libapi_lec.so.*) options=(--nofortify) ;;
        *) options=() ;;
    esac
    hardening-check "${options[@]}" "$file" || status=1
done < <(find "$contents" -type f -print0 | sort -z)
if ((elf_count == 0)); then
    echo "check-reproducible.sh : aucun fichier ELF dans les paquets" >&2
    status=1
fi

# ld marks the whole output only because glibc's start files lack the note (see debian/rules):
# everything the build compiled must have it.
if [[ "$(dpkg --print-architecture)" == amd64 ]]; then
    echo "== note de contrôle du flot (IBT, SHSTK) des objets compilés"
    object_count=0
    unmarked=()
    while IFS= read -r -d '' object; do
        object_count=$((object_count + 1))
        readelf -n "$object" | grep -q 'x86 feature: IBT, SHSTK' || unmarked+=("$object")
    done < <(find "$first"/src/obj-* -name '*.o' -print0)
    if ((object_count == 0 || ${#unmarked[@]})); then
        echo "check-reproducible.sh : $object_count objets, ${#unmarked[@]} sans la note :" \
            "${unmarked[*]}" >&2
        status=1
    else
        echo "$object_count objets, tous avec la note"
    fi
fi

if ((status)); then
    echo "check-reproducible.sh : ÉCHEC" >&2
    exit 1
fi
echo "check-reproducible.sh : paquets identiques, hardening-check sans échec sur $elf_count fichiers ELF"
