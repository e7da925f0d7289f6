#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (instrumented libraries, ASan + UBSan) into
# build-fuzz/ and runs each one for SECONDS (default 60) on a copy of its seed corpus
# fuzz/corpus/<name>/, printing its runs, exec/s, cov and ft. Exits non-zero when a target
# crashes, leaks, times out or breaks an invariant; the input that did it is kept in
# build-fuzz/artifacts/.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     e.g. scripts/fuzz.sh 30 card_document ini_text
#
# KELVORA_FUZZ_JOBS=2 runs two targets at a time; KELVORA_FUZZ_RUNS=N also stops a target
# after N executions, whichever comes first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KELVORA_FUZZ_BUILD:-$root/build-fuzz}"
seconds="${1:-60}"
shift || true
jobs="${KELVORA_FUZZ_JOBS:-1}"
runs="${KELVORA_FUZZ_RUNS:--1}"

CC=clang CXX=clang++ nice -n 10 cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVORA_BUILD_FUZZ=ON -DKELVORA_SANITIZE=ON \
    -DKELVORA_BUILD_TESTS=OFF -DKELVORA_BUILD_BENCH=OFF >/dev/null
nice -n 10 cmake --build "$build" --target fuzzers -j"$(nproc)"

if (($#)); then
    targets=("$@")
else
    targets=()
    for dir in "$root"/fuzz/corpus/*/; do
        targets+=("$(basename "$dir")")
    done
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/artifacts"

# One target: a fresh working corpus seeded from the committed one, so the run adds nothing
# to the repository.
run_one() {
    local name="$1" binary="$build/bin/fuzz_$1"
    [[ -x "$binary" ]] || { echo "fuzz: no target fuzz_$name" >"$work/$name.log"; return 2; }
    mkdir -p "$work/$name.corpus"
    nice -n 19 "$binary" "$work/$name.corpus" "$root/fuzz/corpus/$name" \
        -max_total_time="$seconds" -runs="$runs" -timeout=25 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
        >"$work/$name.log" 2>&1
}

# libFuzzer's last status line ("#N ... cov: C ft: F ... exec/s: E") and its final count.
report() {
    local name="$1" status="$2" log="$work/$1.log" last runs_done
    last="$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)"
    runs_done="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    [[ -n "$runs_done" ]] || runs_done="$(sed -E -n 's/^#([0-9]+).*/\1/p' <<<"$last")"
    printf '%-20s runs %-10s exec/s %-7s cov %-6s ft %-6s %s\n' "$name" "${runs_done:-?}" \
        "$(sed -E -n 's/.*exec\/s: ([0-9]+).*/\1/p' <<<"$last")" \
        "$(sed -E -n 's/.* cov: ([0-9]+).*/\1/p' <<<"$last")" \
        "$(sed -E -n 's/.* ft: ([0-9]+).*/\1/p' <<<"$last")" \
        "$( ((status == 0)) && echo ok || echo "FAILED (exit $status)")"
    if ((status != 0)); then
        grep -E 'ERROR|invariant broken|Test unit written|SUMMARY|^    #[0-9]+ ' "$log" | head -n 30 | sed 's/^/    /'
    fi
}

failed=0
running=()
declare -A pid_of
for name in "${targets[@]}"; do
    run_one "$name" &
    pid_of[$name]=$!
    running+=("$name")
    if ((${#running[@]} >= jobs)); then
        first="${running[0]}"
        status=0
        wait "${pid_of[$first]}" || status=$?
        report "$first" "$status"
        ((status == 0)) || failed=1
        running=("${running[@]:1}")
    fi
done
for name in "${running[@]}"; do
    status=0
    wait "${pid_of[$name]}" || status=$?
    report "$name" "$status"
    ((status == 0)) || failed=1
done

if ((failed)); then
    echo "fuzz: a target failed; its input is in $build/artifacts/" >&2
    exit 1
fi
echo "fuzz: no crash in ${#targets[@]} targets (${seconds} s each)"
