#!/usr/bin/env bash
# Builds an optimised 64-bit Windows grid benchmark in build/bench-win64 and runs
# it under Wine on a virtual display; prints the reading tick and paint figures.
#   bench/grid_tick.sh [TICKS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build/bench-win64"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DQM_RUN_TESTS=OFF >/dev/null
cmake --build "$build" --target grid_bench -j2 >/dev/null
cd "$build"
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$build/wine-run.sh" "$build/bench/wine/grid_bench.exe" "${1:-15}"
