#!/bin/sh
# Makes, once, the Debian sid root whose wine runs the Windows programs: its
# WoW64 build runs 32-bit programs inside a 64-bit process, where the kernel
# has a 32-bit code segment, and 64-bit programs everywhere. The tests and
# run.sh start every Windows program through cmake/wow64-exec, which enters
# this root in namespaces of its own, so nothing is ever mounted in the
# machine's namespace and no clone of the project can hold a mount.
#   setup-wow64.sh           makes the root (needs root)
#   setup-wow64.sh --check   only tells, by its exit status, whether it is ready
#
# The root lives outside any checkout (HINTORA_WOW64_ROOT, default below).
# Quiet and quick when the root is already there and complete.
set -e
unset CDPATH
cd "$(dirname "$0")/.."
root=${HINTORA_WOW64_ROOT:-/var/cache/hintora/wow64-root}
wow64_folder=usr/lib/x86_64-linux-gnu/wine/i386-windows

fail() { echo "setup-wow64: $*" >&2; exit 1; }

ready() { [ -f "$root/.hintora-ready" ] && [ -d "$root/$wow64_folder" ]; }
if [ "$1" = --check ]; then
  ready
  exit
fi
ready && exit 0

[ "$(id -u)" -eq 0 ] || fail "making the sid root needs root (debootstrap, apt-get in the root)"
case $root in
  "$PWD"|"$PWD"/*) fail "the root $root must lie outside the checkout" ;;
esac

# One setup at a time per root: two at once delete each other's half-made
# root. The one that waits then finds it ready. Nothing that may outlive
# this script (the probe's wineserver, for one) gets the descriptor.
mkdir -p "$(dirname "$root")"
exec 9>>"$root.lock"
if ! flock -n 9; then
  echo "setup-wow64: another setup is making the sid root in $root; waiting for it"
  flock 9
  ! ready || { echo "setup-wow64: the other setup made it"; exit 0; }
fi
ready && exit 0

command -v debootstrap >/dev/null 2>&1 || {
  apt-get update -qq 9>&- && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null 9>&-
} || fail "cannot install debootstrap"

# The Debian mirror this machine is set up with; no other is reachable.
mirror=$(sed -n 's/^URIs:[[:space:]]*\([^[:space:]]*\/debian\)[[:space:]]*$/\1/p' \
  /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1)
[ -n "$mirror" ] || mirror=$(sed -n 's/^deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\?\([^[:space:]]*\/debian\)[[:space:]].*/\2/p' \
  /etc/apt/sources.list 2>/dev/null | head -n 1)
[ -n "$mirror" ] || fail "no Debian mirror found in the apt sources"

echo "setup-wow64: making the sid root with the WoW64 wine in $root"
if [ ! -x "$root/usr/bin/apt-get" ] || [ ! -f "$root/.hintora-bootstrapped" ]; then
  # A half-made root from an interrupted run is made anew. No mount of ours
  # ever lies in the machine's namespace, so this deletes only the root.
  if [ -e "$root" ]; then
    grep -q " $root/" /proc/self/mounts && fail "something is mounted below $root; unmount it first"
    rm -rf "$root"
  fi
  debootstrap --variant=minbase sid "$root" "$mirror" >"$root.debootstrap.log" 2>&1 9>&- ||
    { tail -n 20 "$root.debootstrap.log" >&2; fail "debootstrap of sid failed (log: $root.debootstrap.log)"; }
  touch "$root/.hintora-bootstrapped"
fi

# The mirror's sid Release file may carry an expired Valid-Until. apt-get
# needs the root's own system users, so this runs as the machine's root.
cmake/wow64-exec --root "$root" --system sh -c 'apt-get -qq -o Acquire::Check-Valid-Until=false update &&
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends wine wine64 >/dev/null' \
  >"$root.apt.log" 2>&1 9>&- || { tail -n 20 "$root.apt.log" >&2; fail "installing wine in the sid root failed (log: $root.apt.log)"; }

[ -d "$root/$wow64_folder" ] ||
  fail "the sid root's wine has no $wow64_folder: it is not a WoW64 build and cannot run 32-bit programs"

# The end-to-end check: a 32-bit probe must run, unless the kernel itself
# runs no 32-bit code, in which case only the x86_64 builds can run here.
# An empty syswow64 in a new prefix does not pass, nor does a wine that
# runs no program at all (the probe's 64-bit twin tells).
status=0
probe=$(HINTORA_WOW64_ROOT=$root HINTORA_PROBE_CACHE=$root.probe sh scripts/probe-32bit.sh 9>&-) || status=$?
[ $status -le 1 ] || fail "${probe#error: }"
touch "$root/.hintora-ready"
echo "setup-wow64: ready ($(cmake/wow64-exec --root "$root" wine --version 9>&-)); ${probe#*: }"
