#!/usr/bin/env bash
# The rewrite pass benchmark (rewrite_bench.cpp), optimised (Release, -O2, no
# sanitizers): natively from build/bench, and as a 64-bit Windows program
# under Wine from build/bench-win64 (skipped when MinGW-w64 or Wine is missing).
#   bench/rewrite.sh [PASSES]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
passes=${1:-20}

build="$here/build/bench"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DQM_SANITIZE=OFF -DQM_RUN_TESTS=OFF >/dev/null
cmake --build "$build" --target rewrite_bench -j2 >/dev/null
echo "native:"
"$build/bench/rewrite_bench" "$here/tests/fixtures" "$build/bench-tmp/rewrite" "$passes"

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || ! command -v wine >/dev/null 2>&1; then
  echo "Wine: skipped (needs MinGW-w64 and Wine)"
  exit 0
fi
win="$here/build/bench-win64"
cmake -S "$here" -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
      -DQM_RUN_TESTS=OFF -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw64.cmake" >/dev/null
cmake --build "$win" --target jet -j2 >/dev/null
# The benchmark's directory is built for Linux only: compile it here against
# the Windows build's engine.
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -DNDEBUG -Wall -Wextra -I"$here" "$here/bench/rewrite_bench.cpp" \
  "$win/jet/libjet.a" -lntdll -static -o "$win/rewrite_bench.exe"
echo "Wine:"
"$win/wine-run.sh" "$win/rewrite_bench.exe" "Z:$here/tests/fixtures" "Z:$win/bench-tmp/rewrite" "$passes"
