#!/bin/sh
# Builds the shipped 32-bit binaries (build/win32) and the 64-bit build that
# the tests run in under wine (build/win64).
set -e
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 4)

configure() { # dir toolchain extra-args...
  dir=$1; toolchain=$2; shift 2
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/$toolchain" \
      -DCMAKE_BUILD_TYPE=Release "$@" >"$dir.configure.log" 2>&1 ||
      { cat "$dir.configure.log"; exit 1; }
  fi
}

mkdir -p build
configure build/win32 mingw-i686.cmake -DHINTORA_TESTS=OFF
configure build/win64 mingw-x86_64.cmake
cmake --build build/win32 -j "$jobs" -- --no-print-directory -s
cmake --build build/win64 -j "$jobs" -- --no-print-directory -s
