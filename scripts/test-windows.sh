#!/usr/bin/env bash
# Builds the Windows side and tests it: the x86_64 build (preset win64) with its tests run under
# Wine in a fresh prefix inside one Xvfb, then the shipping i686 build (preset win32), whose
# DLL must export the four entry points by their plain names. Installs what it needs on a
# fresh Debian 12 (as root). Exits non-zero on any failure.
#
# By default the Wine phase runs the tests of the component itself (label "wine"); with
# VQ_WINE_ALL_TESTS=1 it also builds and runs the portable test programs under Wine.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

# mingw-w64 (both), mingw-w64-tools (widl), libwine-dev, wine, wine64, Xvfb, ...; CMake and
# Ninja come with the native set.
scripts/install-deps.sh windows
command -v cmake >/dev/null && command -v ninja >/dev/null || scripts/install-deps.sh native

build64="$root/build/win64"
build32="$root/build/win32"

stop_wine() {
    for prefix in "$build64/wineprefix" "$build64/wineprefix-tests"; do
        [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    done
}
trap stop_wine EXIT

echo "== win64: configure and build"
cmake --preset win64 -DVQ_BUILD_TESTS=ON >/dev/null
if [ "${VQ_WINE_ALL_TESTS:-0}" = 1 ]; then
    cmake --build --preset win64 -j2
    selection=()
else
    cmake --build --preset win64 -j2 --target vqTransmitters32 vqSimProduct vq_tests_wine vq_bench_item \
        vq_quennet vq_tests_wine_quennet vq_bench_dialog vq_dialog_shot
    selection=(-L wine)
fi

echo "== win64: tests under Wine (fresh prefix, one Xvfb)"
stop_wine
rm -rf "$build64/wineprefix-tests"
export VQ_WINEPREFIX="$build64/wineprefix-tests"
xvfb-run -a -s "-screen 0 1024x768x24" \
    ctest --test-dir "$build64" --output-on-failure --timeout 120 -j1 "${selection[@]}"

echo "== win32: configure and build the shipping DLL"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2

echo "== win32: exports by plain name"
exports="$(i686-w64-mingw32-objdump -p "$build32/bin/vqTransmitters32.dll")"
for name in DllRegisterServer DllUnregisterServer DllGetClassObject DllCanUnloadNow; do
    if ! grep -Eq "^[[:space:]]*\[[[:space:]]*[0-9]+\][[:space:]]+$name\$" <<<"$exports"; then
        echo "vqTransmitters32.dll (i686) does not export $name by its plain name" >&2
        exit 1
    fi
done
echo "i686 exports: DllRegisterServer DllUnregisterServer DllGetClassObject DllCanUnloadNow"
