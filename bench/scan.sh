#!/usr/bin/env bash
# Builds an optimised jetdump (Release, -O2, no sanitizers) in build/bench and
# prints the scan benchmark: jetdump against mdb-export and mdb-reader.
#   bench/scan.sh [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build/bench"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DQM_SANITIZE=OFF -DQM_RUN_TESTS=OFF >/dev/null
cmake --build "$build" --target jetdump time_runs -j2 >/dev/null
exec node "$here/bench/scan.mjs" "$build/bench/time_runs" "$build/tools/jetdump" "$here/tests/fixtures" "$build/bench-tmp" "${1:-15}"
