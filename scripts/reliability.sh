#!/usr/bin/env bash
# The reliability suites, long form (the test command runs a quick form of
# each):
#   - damaged files: 10 000 mutated copies of the fixtures through open,
#     catalogue, fields, reading every table, a rewrite pass and compaction,
#     under AddressSanitizer and UndefinedBehaviorSanitizer;
#   - the concurrency soak: the live feed, two readers and a rewriting
#     process on one copy of the demo database for 60 seconds, then the file
#     read back through mdbtools and mdb-reader;
#   - crash safety: 100 processes killed at random moments of rewrite passes
#     and compactions;
#   - conflicting writers: two processes changing the same records, then
#     growing the same memo values, 30 seconds each, no acknowledged value
#     lost and no refused one written.
#   scripts/reliability.sh [--quick]
# Builds in build/native (the sanitized build of scripts/test-native.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
mutants=10000 soak=60 kills=100 writers=30
if [ "${1:-}" = --quick ]; then mutants=1000 soak=10 kills=10 writers=3; fi
"$here/scripts/deps.sh"
build="$here/build/native"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_SANITIZE=ON >/dev/null
cmake --build "$build" --target mutants feed jetload jetdump -j2
work="$build/reliability"
rm -rf "$work"
mkdir -p "$work"
fixtures="$here/tests/fixtures"
failed=0

echo "== damaged files ($mutants mutated copies)"
"$build/tests/reliability/mutants" "$fixtures" "$work/mutants" --count "$mutants" || failed=1
echo "== concurrency soak ($soak s)"
bash "$here/tests/reliability/soak.sh" "$build/tools/feed" "$build/tools/jetload" "$fixtures" "$work" "$soak" ||
  failed=1
echo "== crash safety ($kills kills)"
bash "$here/tests/reliability/kills.sh" "$build/tools/jetload" "$fixtures" "$work" "$kills" || failed=1
echo "== conflicting writers ($writers s a round)"
bash "$here/tests/reliability/writers.sh" "$build/tools/jetload" "$fixtures" "$work" "$writers" || failed=1

[ "$failed" -eq 0 ] && echo "reliability: every suite passed" || echo "reliability: FAILED"
exit "$failed"
