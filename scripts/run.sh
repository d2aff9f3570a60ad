#!/bin/sh
# The main job: builds everything, copies play.exe into a copy of the sample
# content folder and runs it there under wine with logging on. The program
# serves that folder on 127.0.0.1 and ends after an hour without requests.
set -e
cd "$(dirname "$0")/.."
sh scripts/setup.sh
sh scripts/build.sh

# This machine kind cannot execute 32-bit code, so the 64-bit build of the
# same sources runs here; build/win32 holds the shipped x86 binaries.
site=build/sample-site
rm -rf "$site"
cp -r sample "$site"
cp build/win64/player/play.exe "$site/"
echo "run: serving $site (log: $site/play.exe.log)"
exec cmake/wine-run "$PWD/build/win64/wineprefix" "$site/play.exe" /log "$@"
