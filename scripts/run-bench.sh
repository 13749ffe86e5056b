#!/usr/bin/env bash
# Builds and runs the benchmark programs; they print their figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh native
cmake --preset native >/dev/null
cmake --build --preset native -j"${VQ_JOBS:-2}" --target vq_bench_collection vq_bench_quennet
build/native/bench/vq_bench_collection
build/native/bench/vq_bench_quennet
if [ -x scripts/bench-windows.sh ]; then
  scripts/bench-windows.sh
fi
