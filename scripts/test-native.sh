#!/usr/bin/env bash
# The portable engine, built for Linux with sanitizers, and its tests. The
# libFuzzer target is built too (with clang, when present) but not run here:
# scripts/fuzz.sh runs it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build/native"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_SANITIZE=ON >/dev/null
cmake --build "$build" -j2
if command -v clang++ >/dev/null 2>&1; then
  cmake -S "$here/fuzz" -B "$here/build/fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$here/build/fuzz" -j2
fi
ctest --test-dir "$build" --output-on-failure -j2
