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
cmake --preset native >/dev/null
cmake --build --preset native -j"${VQ_JOBS:-2}" --target vq_bench_collection vq_bench_listwindow vq_bench_quennet
build/native/bench/vq_bench_collection
echo
build/native/bench/vq_bench_listwindow
echo
build/native/bench/vq_bench_quennet
if [ -x scripts/bench-windows.sh ]; then
  scripts/bench-windows.sh
fi
