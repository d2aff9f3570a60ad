#!/bin/sh
# Tells whether this machine runs the shipped 32-bit images: a tiny 32-bit
# console program, built with the same i686 toolchain, must end with 42
# under the sid root's wine. Some kernels of our kind have no 32-bit user
# code segment, and there every 32-bit start faults. So that a fault of ours
# (a folder wine is not shown, a broken prefix) never reads as that, the
# same program built for x86_64, run the same way in the same prefix, must
# end with 42 first, and a failed 32-bit start counts only when the kernel
# itself has no 32-bit code segment.
#   probe-32bit.sh
# Prints one line and ends with its status:
#   0  "yes: WHY"    32-bit programs run
#   1  "no: WHY"     the kernel runs no 32-bit code
#   2  "error: WHY"  no answer: no sid root, no toolchain, or wine failed in
#                    a way that is ours to mend (WHY holds what wine said)
#
# Only the kernel's answer is kept, per boot, per sid root and its wine and
# per version of this probe, in a folder of the user's own:
# HINTORA_PROBE_CACHE, else $XDG_CACHE_HOME/hintora or ~/.cache/hintora, else
# (no home of one's own) hintora-UID in the temporary folder, made private.
# The probe's wine prefix is made there for one probe and removed after it.
set -e
unset CDPATH
cd "$(dirname "$0")/.."
root=${HINTORA_WOW64_ROOT:-/var/cache/hintora/wow64-root}

fail() { echo "error: $*"; exit 2; }
# Prints the answer and ends with its status.
tell() {
  echo "$1"
  case $1 in yes:*) exit 0 ;; *) exit 1 ;; esac
}

# A folder for the cache: the user's own, writable.
own_folder() { [ -d "$1" ] && [ -O "$1" ] && [ -w "$1" ]; }
# Makes FOLDER where missing and takes it as the cache when it is our own.
try_cache() {
  case $1 in /?*) ;; *) return 1 ;; esac
  mkdir -p "$1" 2>/dev/null && own_folder "$1" && cache=$1
}
[ -f "$root/.hintora-bootstrapped" ] || fail "there is no sid root at $root (scripts/setup.sh makes it)"

cache=""
once=""
if [ -n "${HINTORA_PROBE_CACHE:-}" ]; then
  mkdir -p "$HINTORA_PROBE_CACHE" 2>/dev/null || true
  own_folder "$HINTORA_PROBE_CACHE" ||
    fail "the probe's cache $HINTORA_PROBE_CACHE is no writable folder of this user's own"
  cache=$HINTORA_PROBE_CACHE
else
  [ -z "${XDG_CACHE_HOME:-}" ] || try_cache "$XDG_CACHE_HOME/hintora" || true
  # A home that is missing is not made; / is nobody's own.
  if [ -z "$cache" ] && [ -n "${HOME:-}" ] && [ -d "$HOME" ] && [ "$(cd "$HOME" && pwd -P)" != / ]; then
    try_cache "$HOME/.cache/hintora" || true
  fi
  if [ -z "$cache" ]; then
    tmp=${TMPDIR:-/tmp}
    case $tmp in /*) [ -d "$tmp" ] || tmp=/tmp ;; *) tmp=/tmp ;; esac
    # Private (no link: stat tells a link's own mode), so that no other user
    # can serve us an answer; where someone else holds the name, a folder
    # for this run only.
    mkdir -m 0700 "$tmp/hintora-$(id -u)" 2>/dev/null || true
    if own_folder "$tmp/hintora-$(id -u)" && [ "$(stat -c %a "$tmp/hintora-$(id -u)")" = 700 ]; then
      cache=$tmp/hintora-$(id -u)
    else
      once=$(mktemp -d "$tmp/hintora-probe-XXXXXX") || fail "no folder for the probe in $tmp"
      cache=$once
    fi
  fi
fi

boot=$(cat /proc/sys/kernel/random/boot_id 2>/dev/null || echo unknown)
wine_made=$(stat -L -c %Y "$root/usr/bin/wine" "$root/var/lib/dpkg/status" 2>/dev/null | tr '\n' ' ')
key="$root $boot $wine_made$(cat scripts/probe-32bit.sh scripts/probe/exit42.c scripts/probe/code-segment.c | cksum)"
answer=$cache/probe-32bit.answer
cached() {
  [ -f "$answer" ] && [ -O "$answer" ] && [ "$(head -n 1 "$answer")" = "$key" ] || return 0
  a=$(sed -n 2p "$answer")
  case $a in yes:*|no:*) tell "$a" ;; esac
}
cached

prefix=$cache/probe-wineprefix
# One probe at a time per cache. The descriptor is closed for wine, whose
# server outlives a program.
exec 8>>"$cache/probe.lock"
flock -w 900 8 || fail "another probe holds $cache/probe.lock"
cached
finish() {
  if cmake/wine-run "$prefix" --stop </dev/null >/dev/null 2>&1 8>&-; then
    # wine-run made the prefix from a template beside it: that goes too.
    rm -rf "$prefix" "$prefix.lock" "$prefix.ns.lock" "$prefix.desktop-kept" \
      "$cache/.wineprefix-template" "$cache/.wineprefix-template.lock"
    [ -z "$once" ] || rm -rf "$once"
  fi
}
trap finish EXIT
trap 'exit 2' INT TERM HUP

for bits in 64 32; do
  case $bits in
    32) cc=i686-w64-mingw32-gcc-posix kind="PE32 executable.*Intel 80386" ;;
    64) cc=x86_64-w64-mingw32-gcc-posix kind="PE32+ executable.*x86-64" ;;
  esac
  exe=$cache/probe-exit42-$bits.exe
  "$cc" -O2 -s -o "$exe" scripts/probe/exit42.c 2>"$cache/probe-build.log" ||
    fail "the toolchain cannot build the $bits-bit probe (log: $cache/probe-build.log)"
  LC_ALL=C file "$exe" | grep -q "$kind" || fail "the $bits-bit probe is no $bits-bit image"
done

# Runs the BITS-bit probe as every Windows program runs, bounded; a shell of
# its own waits for it, so that the crash of a 32-bit start is reported to
# nobody's terminal. Sets status; wine's words stay in the log.
run_probe() {
  log=$cache/probe-$1.log
  status=$(sh -c 'timeout -k 5 300 "$@" </dev/null >"$0" 2>&1; echo $?' "$log" \
    cmake/wine-run "$prefix" "$cache/probe-exit42-$1.exe" 2>/dev/null 8>&-)
}
# What wine said, on one line: the log's last three lines.
said() {
  awk 'NF { l[n++] = $0 } END {
    if (!n) { printf "wine said nothing"; exit }
    for (i = n > 3 ? n - 3 : 0; i < n; i++) printf "%s%s", l[i], i < n - 1 ? "; " : ""
  }' "$log"
}

run_probe 64
[ "$status" -eq 42 ] ||
  fail "the sid root's wine runs no 64-bit program either, so nothing tells about 32-bit ones: the 64-bit probe ended with status $status ($(said))"
run_probe 32
if [ "$status" -eq 42 ]; then
  result="yes: this kernel runs 32-bit code (a 32-bit probe ran under the sid root's wine)"
else
  segment=""
  if cc -o "$cache/code-segment" scripts/probe/code-segment.c 2>/dev/null; then
    segment=$("$cache/code-segment") || segment=""
  fi
  case $segment in
    0) result="no: this kernel runs no 32-bit code (no 32-bit code segment; the 32-bit probe ended with status $status, its 64-bit twin with 42)" ;;
    1) fail "the sid root's wine runs no 32-bit program, though this kernel runs 32-bit code: the 32-bit probe ended with status $status ($(said))" ;;
    *) fail "the 32-bit probe ended with status $status ($(said)), and the kernel's code segment could not be checked" ;;
  esac
fi
printf '%s\n%s\n' "$key" "$result" >"$answer.new"
mv -f "$answer.new" "$answer"
tell "$result"
