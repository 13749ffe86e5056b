#!/usr/bin/env bash
# Runs every test: the native tests (plain, then under AddressSanitizer and
# UndefinedBehaviorSanitizer), the fuzz targets for a bounded time, and the Windows builds with
# their tests under Wine.
set -euo pipefail
case "${1:-}" in
    -h | --help)
        echo "Usage: scripts/test-all.sh   (no arguments; VQ_JOBS sets the build's parallel jobs)"
        exit 0 ;;
    ?*) echo "Usage: scripts/test-all.sh   (no arguments)" >&2; exit 2 ;;
esac
cd "$(dirname "$0")/.."

scripts/install-deps.sh native
jobs=${VQ_JOBS:-2}

echo "== native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
ctest --preset native -j"$jobs"

echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset native-sanitize >/dev/null
cmake --build --preset native-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset native-sanitize -j"$jobs"

echo "== fuzz targets from their seed corpora, 15 s each (clang 14, libFuzzer, ASan+UBSan)"
scripts/run-fuzz.sh 15

if [ -x scripts/test-windows.sh ]; then
  echo "== Windows builds and tests under Wine"
  scripts/test-windows.sh
fi
echo "== all tests passed"
