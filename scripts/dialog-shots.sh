#!/usr/bin/env bash
# Screenshots of the add/edit dialog as a host opens it under Wine (x86_64 build, fresh prefix,
# Xvfb at 96 DPI): one in English and one in Hungarian, cropped to the window, written to the
# folder given (default: docs/) as dialog-en.png and dialog-hu.png.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build64="$root/build/win64"
out="${1:-$root/docs}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"

shoot() {  # language index, file name
    rm -f dialog-shot.ready dialog-shot.stop
    "$build64/wine-run.sh" ./vq_dialog_shot.exe "$1" &
    local program=$!
    for _ in $(seq 1 600); do [ -s dialog-shot.ready ] && break; sleep 0.1; done
    read -r x y w h <dialog-shot.ready
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$2"
    touch dialog-shot.stop
    wait "$program"
    rm -f dialog-shot.ready dialog-shot.stop
    echo "wrote $out/$2 (${w}x${h} pixels)"
}

if [ "${VQ_SHOTS_UNDER_XVFB:-0}" = 1 ]; then  # the second half, inside Xvfb
    cd "$build64/bin"
    shoot 1 dialog-en.png
    shoot 2 dialog-hu.png
    exit 0
fi

cd "$root"
scripts/install-deps.sh windows
cmake --preset win64 -DVQ_BUILD_TESTS=ON >/dev/null
cmake --build --preset win64 -j2 --target vqTransmitters32 vqSimProduct vq_dialog_shot vq_keepalive
export VQ_WINEPREFIX="$build64/wineprefix-shots"
rm -rf "$VQ_WINEPREFIX"
trap 'WINEPREFIX="$VQ_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true' EXIT
VQ_SHOTS_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$out"
