#!/bin/sh
# The main job: builds the shipped 32-bit binaries, puts play.exe into the
# sample content folder and runs it there under wine with logging on. The
# program serves that folder on 127.0.0.1 and ends after an hour without
# requests, or when Ctrl+C ends this script. Where the kernel runs no 32-bit
# code, the x86_64 play.exe of the same sources runs instead, and the script
# says so. scripts/run-play.sh runs the program and cleans up after it.
set -e
unset CDPATH
cd "$(dirname "$0")/.."
sh scripts/setup.sh
status=0
probe=$(sh scripts/probe-32bit.sh) || status=$?
# The x86_64 road can be tried anywhere, as with the tests.
if [ "${HINTORA_TEST_BITS:-}" = 64 ]; then
  probe="no: HINTORA_TEST_BITS=64"
  status=1
fi
case $status in
  0) tree=build/win32; echo "run: ${probe#yes: }: running the shipped 32-bit play.exe" ;;
  1) tree=build/win64; echo "run: ${probe#no: }: running the x86_64 play.exe of the same sources instead of the shipped 32-bit one" ;;
  *) echo "run: ${probe#error: }"; exit 1 ;;
esac
echo "run: building (the compiler's output shows only when the build fails)"
if [ $tree = build/win32 ]; then sh scripts/build.sh; else sh scripts/build.sh win64; fi

root=$(pwd -P)
# A prefix of its own: the tests' prefixes name their recorder as the
# browser, and stopping this one's wineserver on exit must not end a test's
# programs. Outside the wineprefix* names, which test.sh stops after a run.
prefix=$root/$tree/run-wineprefix
site=$root/build/sample-site

# The site folder outlives a run: the configuration saved through the page
# and the log stay. Sample files are copied only where missing; play.exe is
# always the one just built (renamed into place, so that a copy never
# half-overwrites a program that is running).
mkdir -p "$site"
(cd sample && find . -type f) | while IFS= read -r f; do
  if [ ! -e "$site/$f" ]; then
    mkdir -p "$(dirname "$site/$f")"
    cp "sample/$f" "$site/$f"
  fi
done
cp "$tree/player/play.exe" "$site/play.exe.new"
mv -f "$site/play.exe.new" "$site/play.exe"

# Runs play.exe there, prints the address and ends the prefix's wine
# processes when play.exe or this script ends; exec'd, so that a signal sent
# to this script's process reaches that clean-up.
exec sh scripts/run-play.sh "$root/$tree" "$prefix" "$site" "$@"
