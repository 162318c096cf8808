#!/usr/bin/env bash
# The whole program for 64-bit Windows: built, then tested under Wine on a virtual
# display. Also a compile-only build for 32-bit Windows, which catches what only
# a 32-bit compiler rejects (calling conventions, pointer sizes).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
win64="$here/build/win64"
win32="$here/build/win32"

cmake -S "$here" -B "$win64" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw64.cmake" >/dev/null
cmake --build "$win64" -j2

cmake -S "$here" -B "$win32" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_RUN_TESTS=OFF \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw32.cmake" >/dev/null
cmake --build "$win32" -j2

# The Wine server of the test prefix lingers a few seconds after the last test;
# end it with the run.
trap 'WINEPREFIX="$win64/wine" wineserver -k >/dev/null 2>&1 || true' EXIT
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$win64" --output-on-failure -j2
