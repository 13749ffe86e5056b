#!/usr/bin/env bash
# The main job: the Transmitter Wizard as a host opens it, under Wine.
set -euo pipefail

usage() {
    cat <<'TEXT'
Usage: scripts/run-demo.sh [--tour] [--language en|hu] [FOLDER]

Builds the component (the x86_64 Windows DLL) and the simulated host product, registers both
in a fresh Wine prefix and starts the demo host: it creates CTxms, initialises it against the
simulated product, loads the sample configuration demo/sample.txm and opens the Transmitter
Wizard (ShowWizard).

With a usable display ($DISPLAY) the wizard is yours: add, edit, connect, save; when you
close it the demo saves the collection and says what ShowWizard returned. --language picks the
host's language (default en).

Without a display, or with --tour, it runs under Xvfb and takes a short tour twice, in English
and in Hungarian: the list, the add dialog, Auto Connect with the simulated port-sharing
application, every transmitter connected, the save dialog and the saved list. Each step is a
screenshot (PNG) in FOLDER (default: a new folder vq-wizard-tour-<number> under $TMPDIR or
/tmp), named at the end.

The console demo of the portable core runs natively with scripts/run-console-demo.sh.
TEXT
}

tour=0
language=en
out=""
while [ $# -gt 0 ]; do
    case "$1" in
        -h | --help) usage; exit 0 ;;
        --tour) tour=1 ;;
        --language)
            [ $# -ge 2 ] || { usage >&2; exit 2; }
            language="$2"; shift ;;
        -*) usage >&2; exit 2 ;;
        *) [ -z "$out" ] || { usage >&2; exit 2; }; out="$1" ;;
    esac
    shift
done
case "$language" in en) index=1 ;; hu) index=2 ;; *) usage >&2; exit 2 ;; esac

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build64="$root/build/win64"
bin="$build64/bin"

display_usable() {
    [ -n "${DISPLAY:-}" ] && timeout 10 import -window root -crop 1x1+0+0 +repage png:- \
        >/dev/null 2>&1
}

# The Windows path of a folder of this machine (Wine's drive Z: is the root).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Runs the demo host in a language; with a shots folder it takes the tour, and this script
# takes the screenshots it asks for (shot.request: "name x y width height") as PREFIX-name.png.
run_host() {  # language index, shots folder ("" for none), prefix
    local language="$1" shots="$2" prefix="$3"
    local args=("$(windows_path "$root/demo/sample.txm")" "$language")
    cd "$bin"
    if [ -z "$shots" ]; then
        "$build64/wine-run.sh" ./vq_wizard_demo.exe "${args[@]}"
        return
    fi
    rm -f "$shots/shot.request"
    "$build64/wine-run.sh" ./vq_wizard_demo.exe "${args[@]}" "$(windows_path "$shots")" &
    local host=$! name x y w h
    while kill -0 "$host" 2>/dev/null; do
        if [ -s "$shots/shot.request" ]; then
            read -r name x y w h <"$shots/shot.request"
            import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shots/$prefix-$name.png"
            echo "  $prefix-$name.png (${w}x${h} pixels)"
            rm -f "$shots/shot.request"
        fi
        sleep 0.1
    done
    wait "$host"
}

register() {  # runs inside the display the host will use
    local dll
    for dll in vqTransmitters32.dll vqSimProduct.dll; do
        (cd "$bin" && "$build64/wine-run.sh" regsvr32 /s "$dll") || {
            echo "run-demo.sh: regsvr32 could not register $dll in the Wine prefix $VQ_WINEPREFIX" >&2
            return 1
        }
    done
}

if [ "${VQ_DEMO_UNDER_XVFB:-0}" = 1 ]; then  # the tour's second half, inside Xvfb
    register
    echo "== the tour in English"
    run_host 1 "$out" en
    echo "== the tour in Hungarian"
    run_host 2 "$out" hu
    exit 0
fi

cd "$root"
scripts/install-deps.sh windows
command -v cmake >/dev/null && command -v ninja >/dev/null || scripts/install-deps.sh native
log="$build64/demo-build.log"
echo "== build: the component, the simulated host product and the demo host (x86_64; a few"
echo "   minutes the first time; log: $log)"
mkdir -p "$build64"
if ! { cmake --preset win64 -DVQ_BUILD_TESTS=ON && cmake --build --preset win64 -j"${VQ_JOBS:-2}" \
    --target vqTransmitters32 vqSimProduct vq_wizard_demo vq_quennet vq_keepalive; } >"$log" 2>&1; then
    tail -30 "$log" >&2
    echo "run-demo.sh: the build failed (the whole output is in $log)" >&2
    exit 1
fi

echo "== a fresh Wine prefix with both registered"
export VQ_WINEPREFIX="$build64/wineprefix-demo"
WINEPREFIX="$VQ_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
rm -rf "$VQ_WINEPREFIX"
trap 'WINEPREFIX="$VQ_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true' EXIT

if [ "$tour" = 0 ] && display_usable; then
    register
    echo "== the Transmitter Wizard on $DISPLAY (close it to end the demo)"
    run_host "$index" "" ""
    exit 0
fi

if [ -z "$out" ]; then
    out="$(mktemp -d "${TMPDIR:-/tmp}/vq-wizard-tour-XXXXXX")"
else
    mkdir -p "$out"
    out="$(cd "$out" && pwd)"
fi
echo "== the tour under Xvfb"
export VQ_DEMO_UNDER_XVFB=1
xvfb-run -a -s "-screen 0 1024x768x24" "$root/scripts/run-demo.sh" "$out"
echo "The tour's screenshots are in $out"
echo "The session folders (C:\\users\\...) are under $VQ_WINEPREFIX/drive_c"
