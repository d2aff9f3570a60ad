#!/bin/sh
# Installs what is missing, builds everything and runs every test.
#
# Which images the tests run depends on the machine. Where the kernel runs
# 32-bit code, they run the shipped 32-bit images (build/win32). Some
# kernels of our kind have no 32-bit user code segment, and nothing 32-bit
# runs there: the tests then run the x86_64 build of the same sources
# (build/win64), and the shipped 32-bit images are checked statically.
#   HINTORA_TEST_BITS=64     the x86_64 run even where 32-bit code runs
#   HINTORA_TEST_BITS=both   both runs where 32-bit code runs (CI does this)
#   HINTORA_TEST_BITS=32     the 32-bit run, or a failure where it cannot be
set -e
unset CDPATH
cd "$(dirname "$0")/.."
sh scripts/setup.sh

# One run at a time in a checkout: a second would rebuild the images under
# the first one's tests, and the end of either stops the servers of the
# tree's prefixes, the other's tests among them. Nothing that may outlive
# this script gets the descriptor.
mkdir -p build
exec 7>>build/.test.lock
if ! flock -n 7; then
  echo "test: another run of the tests is going on in this checkout; waiting for it to end"
  flock 7
fi

wanted=${HINTORA_TEST_BITS:-auto}
case $wanted in
  auto|32|64|both) ;;
  *) echo "test: HINTORA_TEST_BITS is 32, 64 or both, not '$wanted'"; exit 2 ;;
esac
can32=yes
probe=$(sh scripts/probe-32bit.sh) || {
  [ $? -eq 1 ] || { echo "test: ${probe#error: }"; exit 1; }
  can32=""
}
why=${probe#*: }
x86_64="the x86_64 build of the same sources"
static="the shipped 32-bit images were checked statically"
case $wanted/$can32 in
  auto/yes|32/yes) runs=32; ran="$why: the tests ran the shipped 32-bit images" ;;
  both/yes) runs="32 64"; ran="$why: the tests ran the shipped 32-bit images and $x86_64" ;;
  64/*) runs=64; ran="HINTORA_TEST_BITS=64: the tests ran $x86_64; $static" ;;
  32/) echo "test: HINTORA_TEST_BITS=32, but $why"; exit 1 ;;
  *) runs=64; ran="$why: the tests ran $x86_64; $static" ;;
esac
# The same sentence opens the run, as what it is about to do, and closes it.
said=$(echo "$ran" | sed 's/tests ran/tests run/; s/ were checked/ are checked/')
echo "test: $said"

case " $runs " in
  *" 64 "*) sh scripts/build.sh win64 ;;
  *) sh scripts/build.sh ;;
esac

# What ships is checked whichever build the tests run: the 32-bit images,
# stripped, of the GUI subsystem, with the file version and the library's
# entry points, importing only what the 32-bit system DLLs export.
node scripts/check-images.js build/win32
# Each tree's test programs are of its own kind, so that no test runs a
# program of the other.
kind_32="PE32 executable.*Intel 80386"
kind_64="PE32+ executable.*x86-64"
for bits in 32 64; do
  [ -d build/win$bits/tests ] || continue
  eval kind=\$kind_$bits
  for f in $(find build/win$bits/tests build/win$bits/extension/HintoraIE.dll build/win$bits/player/play.exe \
      -name '*.exe' -o -name '*.dll' | grep -v -e /CMakeFiles/ -e wineprefix); do
    LC_ALL=C file "$f" | grep -q "$kind" || { echo "test: not a $bits-bit image: $f"; exit 1; }
  done
done

# Stopped halfway (INT, TERM, HUP) or at the end, the run ends what its
# tests started, and only that: every process of theirs carries the run's
# mark in its environment (wine hands it on to its server and every
# program), and their temporary files lie in a folder of the run's own.
run=$(mktemp -d "${TMPDIR:-/tmp}/hintora-test-XXXXXX")
export HINTORA_TEST_RUN="$run" TMPDIR="$run"
group=""
trees=""
finished=""
# The processes that carry the mark. Reading a process's environment can
# block while that process is stuck, hence the bound.
marked() {
  timeout -k 1 10 grep -lzxF "HINTORA_TEST_RUN=$run" /proc/[0-9]*/environ 2>/dev/null |
    LC_ALL=C sed 's#^/proc/\([0-9]*\)/environ$#\1#' || true
}
# The prefixes of the wineservers among the processes named.
prefixes_of() {
  for pid do
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = wineserver ] || continue
    LC_ALL=C tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | LC_ALL=C sed -n 's/^WINEPREFIX=//p'
  done
}
# The prefixes of the build trees named, which may have servers that
# started before this run.
prefixes_of_trees() {
  for tree do
    for prefix in "$PWD/$tree"/wineprefix*; do [ ! -d "$prefix" ] || echo "$prefix"; done
  done
}
# The servers of the prefixes listed in $prefixes, all at once.
stop_all() {
  echo "$prefixes" | {
    while IFS= read -r prefix; do
      [ -z "$prefix" ] || cmake/wine-run "$prefix" --stop </dev/null >/dev/null 2>&1 &
    done
    wait
  }
}
# Every wait in here is bounded, and nothing stops it halfway: not a second
# signal, nor a terminal that is gone (HUP) and takes no more output. $1: the
# signal that stopped the run, or nothing at its end.
finish() {
  [ -z "$finished" ] || return 0
  finished=1
  trap '' INT TERM HUP PIPE
  set +e
  unset HINTORA_TEST_RUN
  [ -z "$1" ] || echo "test: $1: ending the tests and every process they started"
  if [ -n "$group" ]; then
    kill -TERM -"$group" 2>/dev/null
    tries=0
    while kill -0 -"$group" 2>/dev/null && [ $tries -lt 50 ]; do
      sleep 0.1
      tries=$((tries + 1))
    done
    kill -KILL -"$group" 2>/dev/null
  fi
  # The servers of the trees' prefixes (which may have started before this
  # run) and every server the run started, wherever its prefix lies, end
  # as --stop ends them, and their folders in /tmp go.
  prefixes=$({ prefixes_of_trees $trees; prefixes_of $(marked); } | LC_ALL=C sort -u)
  stop_all
  # What is left (the servers' watchers end a moment after their server).
  tries=0
  left=$(marked)
  while [ -n "$left" ] && [ $tries -lt 50 ]; do
    sleep 0.1
    tries=$((tries + 1))
    left=$(marked)
  done
  if [ -n "$left" ]; then
    named=$(for pid in $left; do printf ' %s (%s)' "$pid" "$(cat "/proc/$pid/comm" 2>/dev/null)"; done)
    # A server that was starting (its prefix half made) is among them.
    prefixes=$({ echo "$prefixes"; prefixes_of $left; } | LC_ALL=C sort -u)
    kill -KILL $left 2>/dev/null
    echo "test: killed what the tests left running:$named"
    sleep 1
    stop_all
    left=$(marked)
    [ -z "$left" ] || echo "test: still running after KILL:" $left
  fi
  rm -rf "$run"
  [ -z "$1" ] || echo "test: $1: the tests were ended, the servers of $(echo "$prefixes" | grep -c .) wine prefixes stopped and the run's temporary folder removed"
}
trap 'finish' EXIT
trap 'finish INT; exit 130' INT
trap 'finish TERM; exit 143' TERM
trap 'finish HUP; exit 129' HUP

status=0
passed=0
failed=0
logs=""
for bits in $runs; do
  tree=build/win$bits
  trees="$trees $tree"
  log=$tree.ctest.log
  logs="$logs $log"
  echo "test: running the tests of $tree"
  # A test that fails is run once more: wine under full load now and then
  # loses a process; a real fault fails twice. In a session of its own,
  # waited for here, so that a signal is handled at once and ends all of it.
  setsid sh -c '{ ctest "$@" 2>&1 || echo $? >"$0.status"; } | tee "$0"' "$log" \
    --test-dir "$tree" -j "$(nproc 2>/dev/null || echo 4)" --output-on-failure --timeout 600 \
    --repeat until-pass:2 7>&- &
  group=$!
  wait "$group" || true
  group=""
  [ ! -f "$log.status" ] || { status=1; rm -f "$log.status"; }
  # Every prefix the tests used gets its wineserver stopped, and the
  # server's folder in /tmp removed, before the next tree's tests.
  prefixes=$(prefixes_of_trees "$tree")
  stop_all
  node scripts/ctest-summary.js "$tree" "$log"
  run_passed=$(grep -c 'Test *#[0-9]*: .* Passed' "$log" || true)
  run_failed=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -n 1)
  passed=$((passed + run_passed))
  failed=$((failed + ${run_failed:-1}))
done
finish
set -e
trap - INT TERM HUP PIPE

echo "test: $ran"
# The retry above must not hide a test that fails now and then.
node scripts/ctest-summary.js --second-runs $logs
# The count comes last: it is the line that a reader of the run looks for.
echo "test: $passed passed, $failed failed"
exit $status
