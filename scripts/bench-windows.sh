#!/usr/bin/env bash
# Builds the Windows builds and runs their benchmarks under Wine in fresh prefixes, inside one
# Xvfb: a late-bound Item by key on a collection of 10 000 transmitters against a late-bound
# Count (the x86_64 DLL, and the i686 one under 32-bit Wine), the time from Edit until the
# add/edit dialog is shown and from ShowWizard until the list window is shown (100 and 1 000
# transmitters), and Auto Connect (CPU while waiting 30 s for an answer, delay from an answer to
# the next request).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build64="$root/build/win64"
build32="$root/build/win32"

if [ "${VQ_BENCH_UNDER_XVFB:-0}" = 1 ]; then  # the second half, inside Xvfb
    cd "$build64/bin"
    echo "== bench (Wine, x86_64 DLL): late-bound Item by key on 10 000 transmitters, and Count"
    "$build64/wine-run.sh" ./vq_bench_item.exe
    echo "== bench (32-bit Wine, i686 DLL): late-bound Item by key on 10 000 transmitters, and Count"
    (cd "$build32/bin" && VQ_WINEPREFIX="$build32/wineprefix-bench" "$build32/wine-run.sh" ./vq_bench_item.exe)
    echo "== bench (Wine, x86_64 DLL): from Edit until the add/edit dialog is shown, from ShowWizard until the list window is"
    "$build64/wine-run.sh" ./vq_bench_dialog.exe
    echo "== bench (Wine, x86_64 DLL): Auto Connect with the simulated Quennet"
    "$build64/wine-run.sh" ./vq_bench_quennet.exe
    exit 0
fi

cd "$root"
log="$build64/bench-build.log"
echo "== bench: building the x86_64 Windows DLL and its benchmarks (log: $log)"
cmake --preset win64 -DVQ_BUILD_TESTS=ON >/dev/null
cmake --build --preset win64 -j2 --target vqTransmitters32 vqSimProduct vq_bench_item \
    vq_bench_dialog vq_keepalive vq_bench_quennet vq_quennet >"$log" 2>&1 ||
    { tail -30 "$log" >&2; echo "== bench: the Windows build failed (see $log)" >&2; exit 1; }
echo "== bench: building the i686 DLL and its Item benchmark (log: $log)"
cmake --preset win32 -DVQ_BUILD_TESTS=ON >/dev/null
cmake --build --preset win32 -j2 --target vqTransmitters32 vqSimProduct vq_bench_item vq_keepalive \
    >>"$log" 2>&1 ||
    { tail -30 "$log" >&2; echo "== bench: the i686 build failed (see $log)" >&2; exit 1; }
echo "== bench: starting Wine in fresh prefixes inside Xvfb"
export VQ_WINEPREFIX="$build64/wineprefix-bench"
rm -rf "$VQ_WINEPREFIX" "$build32/wineprefix-bench"
trap 'for p in "$VQ_WINEPREFIX" "$build32/wineprefix-bench"; do WINEPREFIX="$p" wineserver -k >/dev/null 2>&1 || true; done' EXIT
VQ_BENCH_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0"
