#!/bin/sh
# The main job: builds the shipped 32-bit binaries, puts play.exe into the
# sample content folder and runs it there under wine with logging on. The
# program serves that folder on 127.0.0.1 and ends after an hour without
# requests, or when Ctrl+C ends this script. Where the kernel runs no 32-bit
# code, the x86_64 play.exe of the same sources runs instead, and the script
# says so.
#
# A wine prefix has no browser of its own that could show the content, so
# the prefix's Internet Explorer entry names the build's stand-in browser: it
# is handed the address, fetches it once (which keeps the player up for its
# idle hour) and writes the address to a file, from which this script prints
# it for any browser on this machine.
set -e
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
  *) echo "run: $probe"; exit 1 ;;
esac
echo "run: building (the compiler's output shows only when the build fails)"
if [ $tree = build/win32 ]; then sh scripts/build.sh; else sh scripts/build.sh win64; fi

root=$(pwd -P)
# A prefix of its own: the tests' prefixes name their recorder as the
# browser, and stopping this one's wineserver on exit must not end a test's
# programs. Outside the wineprefix* names, which test.sh stops after a run.
prefix=$root/$tree/run-wineprefix
site=$root/build/sample-site
standin_out=$root/build/run-standin.txt
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

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
rm -f "$standin_out"

# The ids of the processes that run in the prefix: wine hands WINEPREFIX to
# the wineserver, the program and every helper it starts.
prefix_pids() {
  grep -lzxF "WINEPREFIX=$prefix" /proc/[0-9]*/environ 2>/dev/null |
    sed 's#^/proc/\([0-9]*\)/environ$#\1#' || true
}

play=""
finished=""
finish() {
  [ -n "$finished" ] && return
  finished=1
  # Cleaning up goes on when a message cannot be shown (the terminal closed).
  set +e
  if [ -n "$play" ]; then
    kill "$play" 2>/dev/null
    wait "$play" 2>/dev/null
    echo "run: play.exe ended"
  fi
  # The wineserver stays up after its last program (wine-run starts it so),
  # and with it wine's helper processes.
  "$root/cmake/wow64-exec" env WINEPREFIX="$prefix" wineserver -k 2>/dev/null
  tries=0
  left=$(prefix_pids)
  while [ -n "$left" ] && [ $tries -lt 50 ]; do
    sleep 0.1
    tries=$((tries + 1))
    left=$(prefix_pids)
  done
  if [ -n "$left" ]; then
    echo "run: wine processes of $prefix still running:" $left "- killing them"
    kill -KILL $left 2>/dev/null
  fi
}
trap 'finish' EXIT
trap 'finish; exit 0' INT TERM HUP

"$root/cmake/wine-run" "$prefix" reg add \
  'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\IEXPLORE.EXE' /ve /f \
  /d "$(winpath "$root/$tree/player/browser_standin.exe")" >/dev/null

# Started in the content folder: "/log" writes play.exe.log to the folder the
# program was started from.
cd "$site"
HINTORA_STANDIN_OUT=$(winpath "$standin_out") "$root/cmake/wine-run" "$prefix" ./play.exe /log "$@" &
play=$!
echo "run: play.exe serves $site (log: $site/play.exe.log)"

# The stand-in's second line tells that it fetched the page.
tries=0
while ! grep -q 'fetched' "$standin_out" 2>/dev/null && [ $tries -lt 1200 ] && kill -0 $play 2>/dev/null; do
  sleep 0.1
  tries=$((tries + 1))
done
address=$(sed -n 's/^browser stand-in: asked to open \(http:[^ ]*\).*/\1/p' "$standin_out" 2>/dev/null | tr -d '\r' | head -n 1)
if [ -z "$address" ]; then
  echo "run: play.exe started no browser; see $site/play.exe.log"
  exit 1
fi
tr -d '\r' <"$standin_out"
# The server answers both of its names; 127.0.0.1 avoids a browser trying
# localhost over IPv6 first.
echo "run: open $(echo "$address" | sed 's#//localhost:#//127.0.0.1:#') in any browser on this machine"
echo "run: Ctrl+C ends play.exe (else it ends after an hour without requests)"
wait $play || true
