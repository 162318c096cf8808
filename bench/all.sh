#!/usr/bin/env bash
# Every benchmark in one run on the same files, and one table of their
# figures with targets and ratios at the end (also written to
# build/bench/figures.md). Each benchmark's own output is kept in
# build/bench/all.log.
#   bench/all.sh [RUNS] [one-core]
# With "one-core", every process of the run (the programs, Wine's server, the
# virtual display) is kept to the first core: where handing work from one
# core to another is slow (a virtual machine), each request to Wine's server
# pays for it twice, and the Wine figures then measure that more than the
# program.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-15}
if [ "${2:-}" = one-core ] && [ -z "${QM_BENCH_ONE_CORE:-}" ]; then
  export QM_BENCH_ONE_CORE=1
  exec taskset -c 0 "$0" "$@"
fi
# A Wine server that is running already keeps the cores it was started on.
WINEPREFIX="$here/build/bench-win64/wine" wineserver -k 2>/dev/null || true
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
machine="$(nproc --all) cores ($cpu), $memory of memory"
[ "${2:-}" = one-core ] && machine="$machine, every process of the run on one core"
echo
node "$here/bench/table.mjs" "$machine" <"$log" | tee "$out/figures.md"
