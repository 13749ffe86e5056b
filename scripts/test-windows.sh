#!/usr/bin/env bash
# Builds the Windows side and tests it under Wine, inside one Xvfb:
# - the x86_64 build (preset win64): its Wine tests through CTest in a fresh 64-bit prefix;
# - the shipping i686 build (preset win32): its DLL must export the four entry points by their
#   plain names, and its host-like test program runs under 32-bit Wine in a fresh 64-bit prefix
#   of its own, as a 32-bit host on 64-bit Windows loads the DLL (see the i686 selection below).
# Installs what it needs on a fresh Debian 12 (as root). Prints each stage's time. Exits
# non-zero on any failure.
#
# By default the x86_64 phase runs the tests of the component itself (label "wine"); with
# VQ_WINE_ALL_TESTS=1 it also builds and runs the portable test programs under Wine.
set -euo pipefail
case "${1:-}" in
    -h | --help)
        echo "Usage: scripts/test-windows.sh   (VQ_WINE_ALL_TESTS=1: all x86_64 test programs;"
        echo "       VQ_I686_FILTER=<gtest filter>: the i686 tests to run)"
        exit 0 ;;
esac

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build64="$root/build/win64"
build32="$root/build/win32"
prefix64="$build64/wineprefix-tests"
prefix32="$build32/wineprefix-tests"

# The i686 run is one process of the host-like test program. Where this machine's kernel starts
# 32-bit programs itself it runs the whole suite (seconds). Where they run through qemu-user
# (scripts/install-deps.sh registers it only where the kernel cannot), each emulated test costs
# tens of times more, and it runs the subset below: every member of CTxms early-bound through
# the vtable and late-bound by name (EveryMember, Collection, StartUp), events both ways
# (StartUp, Adapters), registration in the 32-bit view with creation by ProgID
# (RegistrationView, Registration), lifetime (Lifetime) and the type library's layout
# (TypeLibrary, TypeLibraryLayout). VQ_I686_FILTER names another selection (a gtest filter).
i686_subset="EveryMember.*:Collection.*:StartUp.*:Adapters.EventsArriveAndHandTheirChangedArgumentsBack"
i686_subset+=":Boundary.NullPointersThroughTheVtable:Lifetime.*:TypeLibrary.*:TypeLibraryLayout.*"
i686_subset+=":Registration.*:RegistrationView.*"
if [ -n "${VQ_I686_FILTER:-}" ]; then
    i686_filter="$VQ_I686_FILTER" i686_why="VQ_I686_FILTER"
elif grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null; then
    i686_filter="$i686_subset" i686_why="32-bit programs run through qemu-user here: the subset"
else
    i686_filter="*" i686_why="32-bit programs run natively here: the whole suite"
fi

stage_start=$SECONDS
stage() {
    echo "== $*"
    stage_start=$SECONDS
}
stage_time() {
    echo "   ($1: $((SECONDS - stage_start)) s)"
}

# The test phase, run by this script inside Xvfb (see the end).
if [ "${1:-}" = --under-display ]; then
    # The i686 prefix is made meanwhile: the 64-bit part with wine64, the 32-bit part by the
    # first 32-bit program (minutes under emulation), with the 64-bit keep-alive holding the
    # session's services. Its own Wine server, so the x86_64 tests do not wait on it.
    (
        export VQ_WINEPREFIX="$prefix32" VQ_KEEPALIVE="$build64/keepalive.exe"
        export VQ_KEEPALIVE_LOADER=/usr/lib/wine/wine64
        start=$SECONDS
        "$build32/wine-run.sh" cmd /c exit </dev/null >"$build32/prefix-setup.log" 2>&1
        echo "   (i686 prefix with its 32-bit part, made beside the x86_64 tests: $((SECONDS - start)) s)"
    ) &
    setup=$!

    stage "win64: tests under Wine (fresh prefix)"
    selection=(-L wine)
    [ "${VQ_WINE_ALL_TESTS:-0}" = 1 ] && selection=()
    VQ_WINEPREFIX="$prefix64" VQ_OTHER_BUILD_DLL="Z:$build32/bin/vqTransmitters32.dll" \
        ctest --test-dir "$build64" --output-on-failure --timeout 120 -j1 "${selection[@]}"
    stage_time "x86_64 tests"

    stage "win32: i686 tests under 32-bit Wine, one process ($i686_why): $i686_filter"
    if ! wait "$setup"; then
        echo "The i686 Wine prefix could not be made: $(tail -n 1 "$build32/prefix-setup.log")" >&2
        exit 1
    fi
    cd "$build32/bin"
    # The output goes to a log, shown whole when a test fails; a hung test ends the run.
    log="$build32/i686-tests.log"
    status=0
    VQ_WINEPREFIX="$prefix32" VQ_OTHER_BUILD_DLL="Z:$build64/bin/vqTransmitters32.dll" \
        timeout 900 "$build32/wine-run.sh" ./vq_tests_wine.exe --gtest_filter="$i686_filter" \
        >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        cat "$log"
        [ "$status" -eq 124 ] && echo "The i686 tests did not end within 900 s" >&2
        echo "The i686 tests failed (exit status $status; log: $log)" >&2
        exit 1
    fi
    tail -n 5 "$log" | grep -E '^\[(==========|  PASSED  |  SKIPPED )\]'  # the summary
    stage_time "i686 tests"
    exit 0
fi

cd "$root"
total_start=$SECONDS

# mingw-w64 (both), mingw-w64-tools (widl), libwine-dev, wine, wine64, 32-bit Wine, Xvfb, ...;
# CMake and Ninja come with the native set.
stage "Windows packages (64- and 32-bit Wine, mingw-w64, Xvfb)"
scripts/install-deps.sh windows
command -v cmake >/dev/null && command -v ninja >/dev/null || scripts/install-deps.sh native
stage_time "packages"

stop_wine() {
    for prefix in "$build64/wineprefix" "$prefix64" "$build32/wineprefix" "$prefix32"; do
        [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    done
}
trap stop_wine EXIT

stage "win64: configure and build"
cmake --preset win64 -DVQ_BUILD_TESTS=ON >/dev/null
if [ "${VQ_WINE_ALL_TESTS:-0}" = 1 ]; then
    cmake --build --preset win64 -j2
else
    cmake --build --preset win64 -j2 --target vqTransmitters32 vqSimProduct vq_tests_wine vq_bench_item \
        vq_quennet vq_tests_wine_quennet vq_bench_dialog vq_dialog_shot vq_keepalive
fi
stage_time "x86_64 build"

stage "win32: configure and build the shipping DLL and its Wine tests"
cmake --preset win32 -DVQ_BUILD_TESTS=ON >/dev/null
cmake --build --preset win32 -j2 --target vqTransmitters32 vqSimProduct vq_tests_wine
stage_time "i686 build"

echo "== win32: exports by plain name"
exports="$(i686-w64-mingw32-objdump -p "$build32/bin/vqTransmitters32.dll")"
for name in DllRegisterServer DllUnregisterServer DllGetClassObject DllCanUnloadNow; do
    if ! grep -Eq "^[[:space:]]*\[[[:space:]]*[0-9]+\][[:space:]]+$name\$" <<<"$exports"; then
        echo "vqTransmitters32.dll (i686) does not export $name by its plain name" >&2
        exit 1
    fi
done
echo "i686 exports: DllRegisterServer DllUnregisterServer DllGetClassObject DllCanUnloadNow"

stop_wine
rm -rf "$prefix64" "$prefix32"
xvfb-run -a -s "-screen 0 1024x768x24" "$0" --under-display
echo "   (Windows builds and tests: $((SECONDS - total_start)) s)"
