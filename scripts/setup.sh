#!/bin/sh
# Installs what building and testing need on a Debian 12 machine. Quiet and
# quick when everything is already there. The machine's own wine is not
# used: the Windows programs run under the WoW64 wine of a sid root
# (setup-wow64.sh); libwine-dev gives only the interface definitions.
set -e
unset CDPATH
cd "$(dirname "$0")/.."

packages="cmake make g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  libwine-dev googletest nodejs npm curl file iproute2 xauth xvfb debootstrap
  chromium python3 gcc binutils util-linux procps"

# One setup at a time in a checkout (run.sh and test.sh started together):
# two apt-get or two npm ci at once break each other. The lock is this
# script, which every user can open. Nothing that may outlive setup gets the
# descriptor.
exec 9<scripts/setup.sh
if ! flock -n 9; then
  echo "setup: another setup of this checkout is running; waiting for it"
  flock 9
fi

# Only installing packages and making the sid root need root: an ordinary
# user is asked through sudo, and building and testing then run as that user.
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
  command -v sudo >/dev/null 2>&1 || sudo=none
fi
# A word as the shell reads it back.
quoted() {
  case $1 in
    *[!A-Za-z0-9_./:=@%+,-]*) printf "'%s'" "$(printf %s "$1" | sed "s/'/'\\\\''/g")" ;;
    *) printf %s "$1" ;;
  esac
}

missing=""
for p in $packages; do
  # A package that is present in another form (node from another source, say)
  # counts as present when its command exists.
  case $p in
    nodejs) command -v node >/dev/null 2>&1 && continue ;;
    npm) command -v npm >/dev/null 2>&1 && continue ;;
  esac
  LC_ALL=C dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done

root_made=yes
sh scripts/setup-wow64.sh --check || root_made=""

# Without sudo, what is missing and the one command that mends it as root.
if [ "$sudo" = none ] && { [ -n "$missing" ] || [ -z "$root_made" ]; }; then
  what="" command=""
  if [ -n "$missing" ]; then
    what="the Debian packages$missing are missing"
    command="apt-get update && apt-get install -y$missing"
  fi
  if [ -z "$root_made" ]; then
    what="${what:+$what and }the sid root that holds the wine is not made yet"
    command="${command:+$command && }${HINTORA_WOW64_ROOT:+HINTORA_WOW64_ROOT=$(quoted "$HINTORA_WOW64_ROOT") }sh $(quoted "$PWD/scripts/setup-wow64.sh")"
  fi
  echo "setup: $what; that needs root, and there is no sudo. As root, run: $command; then run this again as yourself" >&2
  exit 1
fi

if [ -n "$missing" ]; then
  echo "setup: installing$missing${sudo:+ (as root, through sudo)}"
  # Setups of other checkouts may install at the same moment, and apt fails
  # the second at once: they take turns on a lock of the machine's. Inside
  # sudo, so that apt sees the variable.
  locks=/run/lock
  [ -d "$locks" ] || locks=/tmp
  $sudo flock "$locks/hintora-setup-apt.lock" sh -c 'apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null' apt $missing 9<&-
fi

if [ ! -d node_modules ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  echo "setup: installing node packages"
  # npm keeps its cache in the home; without one it can write, a temporary
  # one serves this install.
  cache=""
  if [ -z "${npm_config_cache:-}" ] && ! { [ -n "${HOME:-}" ] && [ -d "$HOME" ] &&
      { [ -w "$HOME/.npm" ] || { [ ! -e "$HOME/.npm" ] && [ -w "$HOME" ]; }; }; }; then
    cache=$(mktemp -d)
  fi
  status=0
  npm ci --no-audit --no-fund --no-update-notifier --loglevel=error ${cache:+--cache "$cache"} >/dev/null 9<&- || status=$?
  [ -z "$cache" ] || rm -rf "$cache"
  [ $status -eq 0 ] || exit $status
fi

if [ -z "$root_made" ]; then
  [ -z "$sudo" ] || echo "setup: making the sid root needs root once: through sudo"
  $sudo env HINTORA_WOW64_ROOT="${HINTORA_WOW64_ROOT:-}" sh scripts/setup-wow64.sh 9<&-
fi
