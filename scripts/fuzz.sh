#!/usr/bin/env bash
# Runs the engine's libFuzzer target for SECONDS (default 600) on a corpus
# seeded with the smaller fixture databases. Findings land in build/fuzz/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
build="$here/build/fuzz"
cmake -S "$here/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2
corpus="$build/corpus"
mkdir -p "$corpus"
for f in "$here"/tests/fixtures/*.mdb "$here"/tests/fixtures/real/*.mdb; do
  [ "$(stat -c %s "$f")" -le 200000 ] && cp -n "$f" "$corpus/$(basename "$f")"
done
cd "$build"
exec ./fuzz_open -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 -max_len=200000 \
  -print_final_stats=1 "$corpus"
