#!/bin/sh
# Runs the play.exe of a content folder under wine in a prefix of its own,
# prints the address to open and, when it ends (INT, TERM, HUP or play.exe
# ending by itself), leaves no process of the prefix behind. run.sh runs the
# sample so; a test runs it on a folder of its own the same way.
#   run-play.sh TREE PREFIX FOLDER [PLAY.EXE ARGS...]
# Absolute paths: TREE is the build tree whose player/browser_standin.exe
# the prefix names as its Internet Explorer, FOLDER holds play.exe.
#
# A wine prefix has no browser of its own that could show the content, so
# the stand-in is handed the address, fetches it once (which keeps the player
# up for its idle hour) and writes the address to PREFIX.standin.txt, from
# which this script prints it for any browser on this machine.
set -e
# An exported CDPATH makes cd print the folder it found.
unset CDPATH
root=$(cd "$(dirname "$0")/.." && pwd -P)
tree=$1 prefix=$2 site=$3
shift 3
standin_out=$prefix.standin.txt
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
# The address the stand-in was handed, as a browser here opens it: the
# server answers both of its names, and 127.0.0.1 avoids a browser trying
# localhost over IPv6 first.
address_of() {
  LC_ALL=C sed -n 's/^browser stand-in: asked to open \(http:[^ ]*\).*/\1/p' "$standin_out" 2>/dev/null |
    tr -d '\r' | head -n 1 | sed 's#//localhost:#//127.0.0.1:#'
}

# One run per prefix: a second one (run.sh started again in the checkout)
# would share the first's wine server, and its clean-up would end the first.
# A run holds PREFIX.run.lock as long as it runs, and PREFIX.start.lock too
# until its address is known, so that a second one tells that address, or
# waits for it, and ends without touching the prefix. No clean-up is set up
# before both are held. Whatever wine starts, which may outlive this script,
# gets neither descriptor.
mkdir -p "$(dirname "$prefix")"
exec 8>>"$prefix.start.lock" 9>>"$prefix.run.lock"
if ! flock -n 8; then
  echo "run: another run is starting play.exe in $prefix; waiting for its address (Ctrl+C ends this wait and leaves it running)"
  flock 8
fi
if ! flock -n 9; then
  address=$(address_of)
  echo "run: play.exe of another run already serves in $prefix: open ${address:-the address it printed} in any browser on this machine; Ctrl+C in that run ends it"
  [ $# -eq 0 ] || { echo "run: the arguments $* were not passed on: end that run first"; exit 1; }
  exit 0
fi
rm -f "$standin_out"

# The ids of the processes that run in the prefix: wine hands WINEPREFIX to
# the wineserver, the program and every helper it starts. Reading a process's
# environment can block while that process is stuck, hence the bound.
prefix_pids() {
  LC_ALL=C timeout -k 1 5 grep -lzxF "WINEPREFIX=$prefix" /proc/[0-9]*/environ 2>/dev/null |
    LC_ALL=C sed 's#^/proc/\([0-9]*\)/environ$#\1#' || true
}

# Waits at most $1 tenths of a second until the prefix has no process left;
# the ones still there are in $left.
wait_prefix_empty() {
  tries=0
  left=$(prefix_pids)
  while [ -n "$left" ] && [ $tries -lt "$1" ]; do
    sleep 0.1
    tries=$((tries + 1))
    left=$(prefix_pids)
  done
}

# The terminal's character set: that of the caller's locale, or, where the C
# library lacks that locale, the one its name gives (fr_FR.UTF-8); ASCII in
# C and POSIX.
terminal_charset() {
  name=${LC_ALL:-${LC_CTYPE:-${LANG:-C}}}
  charset=$(LC_ALL=$name locale charmap 2>/dev/null) || charset=""
  case $charset/$name in
    /*.*|ANSI_X3.4-1968/*.*) charset=${name#*.}; charset=${charset%%@*} ;;
    /*|ANSI_X3.4-1968/*) charset=ASCII ;;
  esac
  echo "$charset"
}

play=""
finished=""
# Every wait in here has a bound: a clean-up that hangs would leave the
# prefix's wine processes running with nobody to end them.
finish() {
  [ -n "$finished" ] && return
  finished=1
  # Cleaning up goes on when a message cannot be shown (the terminal closed).
  set +e
  if [ -n "$play" ]; then
    kill "$play" 2>/dev/null
    tries=0
    while kill -0 "$play" 2>/dev/null && [ $tries -lt 30 ]; do
      sleep 0.1
      tries=$((tries + 1))
    done
    kill -KILL "$play" 2>/dev/null
    wait "$play" 2>/dev/null
    echo "run: play.exe ended"
  fi
  # The wineserver stays up after its last program (wine-run starts it so),
  # and with it wine's helper processes.
  "$root/cmake/wine-run" "$prefix" --stop 8>&- 9>&-
  wait_prefix_empty 20
  if [ -n "$left" ]; then
    echo "run: wine processes of $prefix still running:" $left "- killing them"
    kill -KILL $left 2>/dev/null
    wait_prefix_empty 20
    [ -z "$left" ] || echo "run: wine processes of $prefix survived KILL:" $left
    # Their server's folder in /tmp goes once no server runs.
    "$root/cmake/wine-run" "$prefix" --stop 8>&- 9>&-
  fi
}
trap 'finish' EXIT
trap 'finish; exit 0' INT TERM HUP

"$root/cmake/wine-run" "$prefix" reg add \
  'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\IEXPLORE.EXE' /ve /f \
  /d "$(winpath "$tree/player/browser_standin.exe")" >/dev/null 8>&- 9>&-

# Started in the content folder: "/log" writes play.exe.log to the folder the
# program was started from. "/browser=ie" names the browser that the prefix
# has, the stand-in: on a display play.exe would otherwise ask in a window
# which browser to open. Arguments given here come after it, so that "/i"
# or "/reset" still ask.
cd "$site"
HINTORA_STANDIN_OUT=$(winpath "$standin_out") "$root/cmake/wine-run" "$prefix" ./play.exe /log /browser=ie "$@" 8>&- 9>&- &
play=$!
echo "run: play.exe serves $site (log: $site/play.exe.log)"

# The stand-in's second line tells that it fetched the page. Without a
# display nothing of play.exe can wait for the user, and two minutes bound
# the wait; with one, a window of play.exe may (its browser choice, or a
# message), and the wait lasts as long as play.exe runs.
tries=0
while ! LC_ALL=C grep -q 'fetched' "$standin_out" 2>/dev/null && kill -0 $play 2>/dev/null; do
  if [ -z "${DISPLAY:-}" ]; then
    [ $tries -lt 1200 ] || break
  elif [ $tries -eq 100 ]; then
    echo "run: no browser opened yet: play.exe may be waiting for an answer in its window on display $DISPLAY (the browser choice, or a message); waiting as long as it runs (Ctrl+C ends it)"
  fi
  sleep 0.1
  tries=$((tries + 1))
done
address=$(address_of)
if [ -z "$address" ]; then
  echo "run: play.exe started no browser; see $site/play.exe.log"
  exit 1
fi
# Its lines are UTF-8, the player's status text among them.
lines=$(LC_ALL=C tr -d '\r' <"$standin_out")
shown=$(printf '%s\n' "$lines" | iconv -f UTF-8 -t "$(terminal_charset)//TRANSLIT" 2>/dev/null) || shown=$lines
printf '%s\n' "$shown"
echo "run: open $address in any browser on this machine"
# A second run now finds the address.
exec 8>&-
echo "run: Ctrl+C ends play.exe (else it ends after an hour without requests)"
wait $play || true
