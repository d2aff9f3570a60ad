#!/bin/sh
# Builds the shipped 32-bit binaries and, beside them in the same tree, the
# 32-bit tests that run them (build/win32). Quiet: the compiler's output is
# shown only when the build fails.
#   build.sh [win64]   also the x86_64 build of the same sources with its
#                      tests (build/win64): the tests run it where the kernel
#                      runs no 32-bit code, the benchmark measures it beside
#                      the 32-bit images
set -e
unset CDPATH
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 4)

build() { # dir toolchain
  dir=$1; toolchain=$2
  mkdir -p "$dir"
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DHINTORA_TESTS=ON >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log"; echo "build: configuring $dir failed"; exit 1; }
  cmake --build "$dir" -j "$jobs" -- --no-print-directory -s >"$dir.build.log" 2>&1 ||
    { cat "$dir.build.log"; echo "build: building $dir failed (log: $dir.build.log)"; exit 1; }
}

build build/win32 mingw-i686.cmake
if [ "$1" = win64 ]; then
  build build/win64 mingw-x86_64.cmake
fi
