#!/bin/sh
# Tells whether this machine runs the shipped 32-bit images: a tiny 32-bit
# console program, built with the same i686 toolchain, must end with 42
# under the sid root's wine. Some kernels of our kind have no 32-bit user
# code segment, and there every 32-bit start faults.
#   probe-32bit.sh
# Prints one line: "yes: WHY" or "no: WHY". Exit status 0 for yes, 1 for no,
# 2 when the probe itself could not be made (no root, no toolchain).
#
# The answer is kept per boot (the kernel cannot change before the next one)
# and per sid root, in HINTORA_PROBE_CACHE (default ~/.cache/hintora); its
# wine prefix, made once, stays there too.
set -e
cd "$(dirname "$0")/.."
root=${HINTORA_WOW64_ROOT:-/var/cache/hintora/wow64-root}
cache=${HINTORA_PROBE_CACHE:-${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/hintora}
mkdir -p "$cache"

[ -f "$root/.hintora-bootstrapped" ] || { echo "no: there is no sid root at $root (scripts/setup.sh makes it)"; exit 2; }
boot=$(cat /proc/sys/kernel/random/boot_id 2>/dev/null || echo unknown)
key="$boot $(stat -c %Y "$root/usr/bin/wine" 2>/dev/null) $(cksum <scripts/probe/exit42.c)"
answer=$cache/probe-32bit.answer
# Prints the answer and ends with its status.
tell() {
  echo "$1"
  case $1 in yes:*) exit 0 ;; *) exit 1 ;; esac
}
if [ -f "$answer" ] && [ "$(head -n 1 "$answer")" = "$key" ]; then
  tell "$(tail -n 1 "$answer")"
fi

exe=$cache/probe-exit42.exe
i686-w64-mingw32-gcc-posix -O2 -s -o "$exe" scripts/probe/exit42.c 2>"$cache/probe-build.log" ||
  { echo "no: the i686 toolchain cannot build the probe (log: $cache/probe-build.log)"; exit 2; }
file "$exe" | grep -q "PE32 executable.*Intel 80386" || { echo "no: the probe is no 32-bit image"; exit 2; }

# A shell of its own waits for the probe, so that the crash of a 32-bit
# start is reported to nobody's terminal.
status=$(sh -c 'timeout 120 "$@" </dev/null >/dev/null 2>&1; echo $?' probe cmake/wine-run \
  "$cache/probe-wineprefix" "$exe" 2>/dev/null)
# wine-run leaves a prefix's server up for the next program; the probe has none.
cmake/wine-run "$cache/probe-wineprefix" --stop </dev/null >/dev/null 2>&1 || true

if [ $status -eq 42 ]; then
  result="yes: this kernel runs 32-bit code (a 32-bit probe ran under the sid root's wine)"
else
  segment=""
  if cc -o "$cache/code-segment" scripts/probe/code-segment.c 2>/dev/null; then
    segment=$("$cache/code-segment")
  fi
  if [ "$segment" = 0 ]; then
    result="no: this kernel runs no 32-bit code (no 32-bit code segment; the 32-bit probe ended with status $status)"
  else
    result="no: the sid root's wine runs no 32-bit program (the 32-bit probe ended with status $status)"
  fi
fi
printf '%s\n%s\n' "$key" "$result" >"$answer.new"
mv -f "$answer.new" "$answer"
tell "$result"
