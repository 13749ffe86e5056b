#!/usr/bin/env bash
# Builds the x86_64 Windows build and runs its benchmarks under Wine in a fresh prefix: a
# late-bound Item by key on a collection of 10 000 transmitters, and Auto Connect (CPU while
# waiting 30 s for an answer, delay from an answer to the next request).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build64="$root/build/win64"
cmake --preset win64 -DVQ_BUILD_TESTS=ON >/dev/null
cmake --build --preset win64 -j2 --target vqTransmitters32 vqSimProduct vq_bench_item vq_keepalive \
    vq_bench_quennet vq_quennet
export VQ_WINEPREFIX="$build64/wineprefix-bench"
rm -rf "$VQ_WINEPREFIX"
trap 'WINEPREFIX="$VQ_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true' EXIT
cd "$build64/bin"
"$build64/wine-run.sh" ./vq_bench_item.exe
"$build64/wine-run.sh" ./vq_bench_quennet.exe
