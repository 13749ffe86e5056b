#!/usr/bin/env bash
# Builds and runs the benchmark programs; they print their figures.
set -euo pipefail
case "${1:-}" in
    -h | --help)
        echo "Usage: scripts/run-bench.sh   (no arguments; prints the benchmarks' figures)"
        exit 0 ;;
    ?*) echo "Usage: scripts/run-bench.sh   (no arguments)" >&2; exit 2 ;;
esac
cd "$(dirname "$0")/.."
scripts/install-deps.sh native
log=build/native/bench-build.log
echo "== bench: building the native benchmarks (log: $log)"
cmake --preset native >/dev/null
if ! cmake --build --preset native -j"${VQ_JOBS:-2}" --target vq_bench_collection \
    vq_bench_listwindow vq_bench_quennet >"$log" 2>&1; then
    tail -30 "$log" >&2
    echo "== bench: the build failed (see $log)" >&2
    exit 1
fi
echo "== bench (native, g++): the collection on the simulated host product"
build/native/bench/vq_bench_collection
echo "== bench (native, g++): the list window's model"
build/native/bench/vq_bench_listwindow
echo "== bench (native, g++): Auto Connect with the simulated Quennet"
build/native/bench/vq_bench_quennet
if [ -x scripts/bench-windows.sh ]; then
  scripts/bench-windows.sh
fi
