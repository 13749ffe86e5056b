#!/usr/bin/env bash
# Installs the Debian packages a build needs when they are missing.
# Usage: scripts/install-deps.sh native|windows|fuzz
#
# windows also installs 32-bit Wine, so that the shipping i686 DLL runs in 32-bit host programs
# in a 64-bit prefix. It tries the plain way first; only where a step fails does it try the
# fall-back for that step, and says in one line what it did:
# - an i386 package index that cannot be fetched (apt-get update fails) is reported and
#   passed over as long as the install itself works;
# - where the install fails on versions of the security suite that have no i386 copy, it is
#   retried with that suite left out of the choice (for that one command; apt's settings are
#   not changed);
# - where the kernel cannot start 32-bit Linux programs, qemu-user is installed and registered
#   for them (binfmt_misc, until the machine restarts).
set -euo pipefail

native=(cmake ninja-build g++ libgtest-dev libgmock-dev googletest libbenchmark-dev)
windows=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libwine-dev wine wine64 xvfb
         xauth imagemagick googletest)
fuzz=(cmake ninja-build clang-14 libclang-rt-14-dev)
# 32-bit Wine, with both copies of libwine and libwine-dev named: without them apt may settle a
# version difference by removing the 64-bit Wine instead.
wine32=(wine32:i386 libwine:i386 libwine libwine-dev wine64)
wine32_loader=/usr/lib/wine/wine

mode="${1:-native}"
case "$mode" in
  -h | --help) echo "usage: $0 native|windows|fuzz"; exit 0 ;;
  native) wanted=("${native[@]}") ;;
  windows) wanted=("${windows[@]}") ;;
  fuzz) wanted=("${fuzz[@]}") ;;
  *) echo "usage: $0 native|windows|fuzz" >&2; exit 2 ;;
esac

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# step "what it does" command...: says what it does, runs the command with its output in a
# log, says every 20 s where it is (the log's last line), and on failure shows the log's end.
step() {
  local what=$1 log status=0 seconds=0
  shift
  echo "$what"
  log="$(mktemp)"
  "$@" >"$log" 2>&1 &
  local pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    sleep 1
    seconds=$((seconds + 1))
    if [ $((seconds % 20)) -eq 0 ]; then
      echo "  ... ${seconds} s: $(tail -n 1 "$log" | cut -c1-100)"
    fi
  done
  wait "$pid" || status=$?
  if [ "$status" -ne 0 ]; then
    tail -n 15 "$log" | sed 's/^/  | /'
  fi
  rm -f "$log"
  return "$status"
}

apt_install() {
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends --no-remove "$@"
}

updated=0
apt_update() {
  [ "$updated" -eq 1 ] && return 0
  updated=1
  if ! step "Updating the package lists (apt-get update)" "${sudo_cmd[@]}" apt-get update -q; then
    echo "Some package list could not be fetched (above); going on with those that arrived"
  fi
}

missing=()
for package in "${wanted[@]}"; do
  installed "$package" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt_update
  step "Installing: ${missing[*]}" apt_install "${missing[@]}"
fi
[ "$mode" = windows ] || exit 0

# --- 32-bit Wine -------------------------------------------------------------------------------
wine32_runs() {
  "$wine32_loader" --version >/dev/null 2>&1
}

install_wine32() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "Adding the i386 architecture for 32-bit Wine (dpkg --add-architecture i386)"
    "${sudo_cmd[@]}" dpkg --add-architecture i386
    updated=0
  fi
  apt_update
  step "Installing 32-bit Wine: ${wine32[*]}" apt_install "${wine32[@]}" && return 0
  # The plain install failed. Where the security suite has a newer amd64 copy of a library
  # whose i386 copy it lacks, both copies can only agree on the main suite's version.
  local prefs
  prefs="$(mktemp)"
  printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: -1\n' >"$prefs"
  chmod 644 "$prefs"
  step "Fall-back: installing 32-bit Wine again with the security suite left out of the choice" \
    apt_install -o Dir::Etc::Preferences="$prefs" --allow-downgrades "${wine32[@]}" \
    libgstreamer-plugins-base1.0-0:i386
  local status=$?
  rm -f "$prefs"
  return "$status"
}

# Where the kernel cannot start 32-bit Linux programs itself, qemu-user starts them.
register_qemu_i386() {
  local binfmt=/proc/sys/fs/binfmt_misc
  installed qemu-user || { apt_update; step "Installing qemu-user" apt_install qemu-user; }
  if [ ! -e "$binfmt/register" ]; then
    echo "Mounting binfmt_misc on $binfmt"
    "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
  fi
  if [ ! -e "$binfmt/qemu-i386" ]; then
    echo "Registering qemu-i386 for 32-bit Linux programs (binfmt_misc, until the machine restarts)"
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386:OCF" |
      "${sudo_cmd[@]}" tee "$binfmt/register" >/dev/null
  fi
}

if ! installed wine32:i386; then
  install_wine32 || { echo "32-bit Wine (wine32:i386) could not be installed (see above)" >&2; exit 1; }
fi
if ! wine32_runs; then
  reason="$("$wine32_loader" --version 2>&1 | head -n 1 || true)"
  echo "Fall-back: the 32-bit Wine loader does not start here (${reason}); running it through qemu-user"
  register_qemu_i386
  if ! wine32_runs; then
    echo "32-bit Wine cannot start here: $("$wine32_loader" --version 2>&1 | head -n 1 || true)" >&2
    exit 1
  fi
fi
