#!/usr/bin/env bash
# The viewer's reading tick and update pass on perf.mdb, optimised 64-bit
# Windows build under Wine on a virtual display (build/bench-win64).
#   bench/viewer_tick.sh [TICKS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build/bench-win64"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DQM_RUN_TESTS=OFF >/dev/null
cmake --build "$build" --target viewer_tick -j2 >/dev/null
cd "$build"
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$build/wine-run.sh" "$build/bench/wine/viewer_tick.exe" \
  "Z:$here/tests/fixtures" "${1:-15}"
