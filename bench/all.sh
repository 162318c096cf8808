#!/usr/bin/env bash
# Every benchmark in one run on the same files, and one table of their
# figures with targets and ratios at the end (also written to
# build/bench/figures.md). Each benchmark's own output is kept in
# build/bench/all.log.
#   bench/all.sh [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-15}
out="$here/build/bench"
mkdir -p "$out"
log="$out/all.log"
: >"$log"
export QM_FIGURES=1

step() {
  echo "== $1" | tee -a "$log"
  shift
  local status=0
  "$@" >"$out/step.log" 2>&1 || status=$?
  cat "$out/step.log" >>"$log"
  grep -v '^figure ' "$out/step.log" || true
  [ "$status" -eq 0 ] || { echo "FAILED ($status): $*"; exit 1; }
}
step "scan: the engine against mdb-export and mdb-reader" "$here/bench/scan.sh" "$runs"
# The rewrite benchmark runs natively, then under Wine: its figures are named
# after the part they come from.
step "update pass and reading tick, natively and under Wine" \
  bash -o pipefail -c "'$here/bench/rewrite.sh' '$runs' | awk '/^native:/ { p = \"native.\" } /^Wine:/ { p = \"wine.\" }
                                                   /^figure / { \$2 = p \$2 } { print }'"
step "compaction against a copy" "$here/bench/compact.sh" "$runs"
step "the viewer under Wine: opening, reading ticks, update passes" "$here/bench/viewer_tick.sh" "$runs"

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')
memory=$(awk '/MemTotal/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo)
machine="$(nproc) cores ($cpu), $memory of memory"
echo
node "$here/bench/table.mjs" "$machine" <"$log" | tee "$out/figures.md"
