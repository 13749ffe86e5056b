#!/usr/bin/env bash
# Builds the fuzz targets (preset fuzz: clang 14 with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each from its committed seed corpus, fuzz/corpus/<target>.
# Exits non-zero when a target finds a crash; the input is kept in build/fuzz/artifacts/.
set -euo pipefail

usage() {
    cat <<'TEXT'
Usage: scripts/run-fuzz.sh [SECONDS] [TARGET...]
       scripts/run-fuzz.sh --runs N [TARGET...]

Runs each fuzz target for SECONDS (default 30), or for N inputs with --runs, and prints its
figures: inputs run, coverage (edges), corpus size and crashes. Targets: fuzz_txm_value,
fuzz_ini_reader, fuzz_integer, fuzz_gettext, fuzz_qnt_answer, fuzz_list_width (default: all six).
TEXT
}

limit=(-max_total_time=30)
case "${1:-}" in
    -h | --help) usage; exit 0 ;;
    --runs) [ $# -ge 2 ] || { usage >&2; exit 2; }; limit=(-runs="$2"); shift 2 ;;
    '' | *[!0-9]*) ;;
    *) limit=(-max_total_time="$1"); shift ;;
esac
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_txm_value fuzz_ini_reader fuzz_integer fuzz_gettext fuzz_qnt_answer
    fuzz_list_width)

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
scripts/install-deps.sh fuzz
echo "== fuzz: building the fuzz targets (clang 14, libFuzzer, ASan+UBSan)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"${VQ_JOBS:-2}" --target "${targets[@]}" >/dev/null

build="$root/build/fuzz"
mkdir -p "$build/artifacts"
# The simulated service's files go to memory where it can: a rename on a disk costs more
# than the input it checks.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm

failed=0
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    log="$build/$target.log"
    mkdir -p "$corpus"
    echo "== fuzz: $target (${limit[*]#-})"
    if "$build/fuzz/$target" "${limit[@]}" -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "$corpus" "fuzz/corpus/$target" \
        >"$log" 2>&1; then
        outcome="no crash"
    else
        outcome="CRASH (see $log and $build/artifacts/)"
        failed=1
        grep -E "check failed|ERROR|runtime error" -A3 "$log" | head -20 >&2 || true
    fi
    done_line="$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)"
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
    cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$done_line")"
    corp="$(sed -n 's/.* corp: \([^ ]*\).*/\1/p' <<<"$done_line")"
    echo "   inputs ${runs:-?}, ${rate:-?}/s, coverage ${cov:-?} edges, corpus ${corp:-?}: $outcome"
done
exit "$failed"
