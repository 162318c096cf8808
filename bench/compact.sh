#!/usr/bin/env bash
# The compaction benchmark (compact_bench.cpp), optimised (Release, -O2, no
# sanitizers), natively: perf.mdb and NflSummary.mdb compacted against a plain
# copy of the same file in the same run. The build folder is build/bench
# unless QM_BENCH_BUILD names another.
#   bench/compact.sh [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-15}
build=${QM_BENCH_BUILD:-$here/build/bench}
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DQM_SANITIZE=OFF -DQM_RUN_TESTS=OFF >/dev/null
cmake --build "$build" --target compact_bench -j2 >/dev/null
"$build/bench/compact_bench" "$here/tests/fixtures" "$build/bench-tmp/compact" "$rounds"
# The same against the cp program itself, one process per run.
for name in perf.mdb NflSummary.mdb; do
  src="$build/bench-tmp/compact/source-$name"
  start=$(date +%s%N)
  for _ in $(seq 1 "$rounds"); do cp "$src" "$build/bench-tmp/compact/cp.mdb"; rm -f "$build/bench-tmp/compact/cp.mdb"; done
  end=$(date +%s%N)
  awk -v n="$name" -v t=$((end - start)) -v r="$rounds" 'BEGIN { printf "%-16s cp (process): %.2f ms a run\n", n, t / r / 1e6 }'
done
