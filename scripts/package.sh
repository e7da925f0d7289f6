#!/usr/bin/env bash
# Builds the Debian packages kelvora and kelvora-formation into build-package/ from the last
# commit, then runs lintian on them: any error fails the build.
# KELVORA_CMAKE_ARGS, when set, adds CMake cache settings (scripts/check-package.sh builds its
# acceptance packages with a loopback update address and a throw-away release key).
#   scripts/package.sh [FOLDER]   (FOLDER: where to build instead of build-package/;
#                                  scripts/check-reproducible.sh builds twice in two places)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build-package}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
src="$out/src"

"$root/scripts/install-deps.sh"

# The packages are built from the last commit, never from files being edited: a copy of HEAD,
# so the packaging writes nothing into the checkout.
rm -rf "$src" "$out"/*.deb "$out"/*.changes "$out"/*.buildinfo
mkdir -p "$src"
git -C "$root" archive --format=tar HEAD | tar -x -C "$src"
echo "package.sh : paquets construits depuis le commit $(git -C "$root" rev-parse --short HEAD)"

# One version for the program and the package.
project_version="$(sed -n 's/^project(Kelvora VERSION \([^ )]*\).*/\1/p' "$src/CMakeLists.txt")"
package_version="$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version)"
if [[ "${package_version%%-*}" != "$project_version" ]]; then
    echo "package.sh : debian/changelog est en $package_version, CMakeLists.txt en $project_version" >&2
    exit 1
fi

(cd "$src" && KELVORA_CMAKE_ARGS="${KELVORA_CMAKE_ARGS:-}" nice -n 10 dpkg-buildpackage -b -us -uc -j2)

# The formation package's purge must name every demonstration file its postinst copies.
missing_in_purge=()
for f in "$src"/debian/kelvora-formation/usr/share/kelvora-formation/api_lec/*; do
    grep -qF "$(basename "$f")" "$src/debian/kelvora-formation.postrm" ||
        missing_in_purge+=("$(basename "$f")")
done
if ((${#missing_in_purge[@]})); then
    echo "package.sh : debian/kelvora-formation.postrm n'efface pas ${missing_in_purge[*]}" >&2
    exit 1
fi

# dpkg-buildpackage writes beside the tree it builds: the output folder.
echo "== lintian"
lintian_status=0
lintian --info --display-level '>=warning' "$out"/kelvora_*.changes || lintian_status=$?
if ((lintian_status)); then
    echo "package.sh : lintian signale des erreurs" >&2
    exit 1
fi
ls -l "$out"/*.deb
