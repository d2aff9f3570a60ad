#!/bin/sh
# The main job: builds everything, copies play.exe into a copy of the sample
# content folder and runs it there under wine with logging on. The program
# serves that folder on 127.0.0.1 and ends after an hour without requests,
# or when Ctrl+C ends this script.
#
# A wine prefix has no browser of its own that could show the content, so
# the prefix's Internet Explorer entry names the build's stand-in browser: it
# is handed the address, fetches it once (which keeps the player up for its
# idle hour) and writes the address to a file, from which this script prints
# it for any browser on this machine.
set -e
cd "$(dirname "$0")/.."
sh scripts/setup.sh
sh scripts/build.sh

# This machine kind cannot execute 32-bit code, so the 64-bit build of the
# same sources runs here; build/win32 holds the shipped x86 binaries.
root=$PWD
prefix=$root/build/win64/wineprefix
site=$PWD/build/sample-site
standin_out=$PWD/build/run-standin.txt
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

rm -rf "$site" "$standin_out"
cp -r sample "$site"
cp build/win64/player/play.exe "$site/"
cmake/wine-run "$prefix" reg add \
  'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\IEXPLORE.EXE' /ve /f \
  /d "$(winpath "$PWD/build/win64/player/browser_standin.exe")" >/dev/null

# Started in the content folder: "/log" writes play.exe.log to the folder the
# program was started from.
cd "$site"
HINTORA_STANDIN_OUT=$(winpath "$standin_out") "$root/cmake/wine-run" "$prefix" ./play.exe /log "$@" &
play=$!
trap 'kill $play 2>/dev/null; wait $play 2>/dev/null || true; echo "run: play.exe ended"; exit 0' INT TERM HUP
echo "run: play.exe serves $site (log: $site/play.exe.log)"

# The stand-in's second line tells that it fetched the page.
tries=0
while ! grep -q 'fetched' "$standin_out" 2>/dev/null && [ $tries -lt 600 ] && kill -0 $play 2>/dev/null; do
  sleep 0.1
  tries=$((tries + 1))
done
address=$(sed -n 's/^browser stand-in: asked to open \(http:[^ ]*\).*/\1/p' "$standin_out" 2>/dev/null | tr -d '\r' | head -n 1)
if [ -z "$address" ]; then
  echo "run: play.exe started no browser; see $site/play.exe.log"
  wait $play
  exit 1
fi
tr -d '\r' <"$standin_out"
# The server answers both of its names; 127.0.0.1 avoids a browser trying
# localhost over IPv6 first.
echo "run: open $(echo "$address" | sed 's#//localhost:#//127.0.0.1:#') in any browser on this machine"
echo "run: Ctrl+C ends play.exe (else it ends after an hour without requests)"
wait $play
