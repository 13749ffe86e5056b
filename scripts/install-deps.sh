#!/usr/bin/env bash
# Installs the Debian packages a build needs when they are missing.
# Usage: scripts/install-deps.sh native|windows|fuzz
set -euo pipefail

native=(cmake ninja-build g++ libgtest-dev libgmock-dev googletest libbenchmark-dev)
windows=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libwine-dev wine wine64 xvfb
         xauth imagemagick googletest)
fuzz=(cmake ninja-build clang-14 libclang-rt-14-dev)

case "${1:-native}" in
  native) wanted=("${native[@]}") ;;
  windows) wanted=("${windows[@]}") ;;
  fuzz) wanted=("${fuzz[@]}") ;;
  *) echo "usage: $0 native|windows|fuzz" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
