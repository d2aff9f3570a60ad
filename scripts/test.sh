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

status=0
passed=0
failed=0
logs=""
for bits in $runs; do
  tree=build/win$bits
  log=$tree.ctest.log
  logs="$logs $log"
  echo "test: running the tests of $tree"
  # A test that fails is run once more: wine under full load now and then
  # loses a process; a real fault fails twice.
  { ctest --test-dir "$tree" -j "$(nproc 2>/dev/null || echo 4)" --output-on-failure --timeout 600 \
      --repeat until-pass:2 2>&1 || echo $? >"$log.status"; } | tee "$log"
  [ ! -f "$log.status" ] || { status=1; rm -f "$log.status"; }
  # Every prefix the tests used gets its wineserver stopped, and the
  # server's folder in /tmp removed.
  for prefix in "$PWD/$tree"/wineprefix*; do
    [ -d "$prefix" ] && cmake/wine-run "$prefix" --stop || true
  done
  node scripts/ctest-summary.js "$tree" "$log"
  run_passed=$(grep -c 'Test *#[0-9]*: .* Passed' "$log" || true)
  run_failed=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -n 1)
  passed=$((passed + run_passed))
  failed=$((failed + ${run_failed:-1}))
done

echo "test: $ran"
# The retry above must not hide a test that fails now and then.
node scripts/ctest-summary.js --second-runs $logs
# The count comes last: it is the line that a reader of the run looks for.
echo "test: $passed passed, $failed failed"
exit $status
