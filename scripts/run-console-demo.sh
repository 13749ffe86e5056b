#!/usr/bin/env bash
# The console demo: a host session against the simulated host product, run natively.
set -euo pipefail

usage() {
    cat <<'TEXT'
Usage: scripts/run-console-demo.sh [FOLDER]

Builds and runs a host session against the simulated host product: start-up, additions
(and why some are refused), a configuration file saved and loaded back, and what the host
product's registry heard. The session's files (Vistrel.ini, plant.txm) are written to FOLDER,
created when missing; a relative FOLDER is taken from where you run the script. Without
FOLDER each run makes a new session folder under the system's temporary folder (its path is
printed first) and keeps it afterwards.
TEXT
}

case "${1:-}" in
    -h | --help) usage; exit 0 ;;
    -*) usage >&2; exit 2 ;;
esac
[ $# -le 1 ] || { usage >&2; exit 2; }
args=()
if [ $# -eq 1 ]; then
    case "$1" in
        /*) args=("$1") ;;
        *) args=("$PWD/$1") ;;
    esac
fi

cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh native
cmake --preset native >/dev/null
cmake --build --preset native -j"${VQ_JOBS:-2}" --target vq_demo >/dev/null
exec build/native/demo/vq_demo "${args[@]}"
