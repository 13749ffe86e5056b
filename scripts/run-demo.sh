#!/usr/bin/env bash
# The main job: a host session against the simulated host product.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh native
cmake --preset native >/dev/null
cmake --build --preset native -j"${VQ_JOBS:-2}" --target vq_demo
exec build/native/demo/vq_demo "$@"
