#!/bin/bash
# The include graph of the repository by top-level folder (each folder of app/ counts as one),
# printed one edge a line; exits non-zero when the graph has a cycle or when an include names
# a file that cannot be found, so that a new include root cannot hide an edge.
#
# usage: scripts/include-graph.sh [SOURCE_DIR]
set -euo pipefail

root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# Every source file, build folders and hidden folders aside.
files=$(find . \( -path './build*' -o -path './.*' \) -prune -o -type f \
    \( -name '*.h' -o -name '*.hpp' -o -name '*.c' -o -name '*.cc' -o -name '*.cpp' \) -print |
    sed 's|^\./||' | sort)

# Include roots the CMake targets give (target_include_directories), after the including
# file's own folder.
roots=". app tests"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
echo "$files" >"$scratch/files"

edges=$(
    for f in $files; do
        # Every form: spaces before and after '#', quotes or angle brackets.
        sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*([<"])([^">]+)[">].*/\1 \2/p' "$f" |
            while read -r kind name; do printf '%s %s %s\n' "$f" "$kind" "$name"; done
    done | awk -v roots="$roots" -v list="$scratch/files" '
        function normalize(p,    n, parts, out, i, k) {
            n = split(p, parts, "/"); k = 0
            for (i = 1; i <= n; i++) {
                if (parts[i] == "" || parts[i] == ".") continue
                if (parts[i] == "..") { if (k > 0) k--; continue }
                out[++k] = parts[i]
            }
            p = ""
            for (i = 1; i <= k; i++) p = p (i > 1 ? "/" : "") out[i]
            return p
        }
        function node(p,    parts) {
            split(p, parts, "/")
            if (parts[1] == "app" && p ~ /^app\/[^\/]+\//) return "app/" parts[2]
            return parts[1]
        }
        BEGIN {
            while ((getline line < list) > 0) exists[line] = 1
            nr = split(roots, rootList, " ")
        }
        {
            file = $1; kind = $2; name = $3
            dir = file; sub(/\/[^\/]*$/, "", dir); if (dir == file) dir = "."
            found = ""
            if (kind == "\"") {
                candidate = normalize(dir "/" name)
                if (candidate in exists) found = candidate
            }
            for (r = 1; r <= nr && found == ""; r++) {
                candidate = normalize(rootList[r] "/" name)
                if (candidate in exists) found = candidate
            }
            if (found == "") {
                # Files the build generates (moc, embedded data) are not sources.
                if (kind == "\"" && name !~ /\.moc$|^moc_|^ui_/) {
                    print "introuvable: " file " -> " name > "/dev/stderr"; missing = 1
                }
                next
            }
            from = node(file); to = node(found)
            if (from != to && from != file) print from, to
        }
        END { exit missing }
    ' | sort -u
)

echo "$edges" | awk '{print $1 " -> " $2}'
if ! echo "$edges" | tsort >/dev/null 2>"$scratch/loop"; then
    sed -E 's/^tsort: (-: )?//' "$scratch/loop" >&2
    echo "cycle dans le graphe des dossiers" >&2
    exit 1
fi
echo "pas de cycle"
