#!/usr/bin/env bash
# Writers that really conflict: two processes make real changes to the same
# records of one copy of the demo database at once, each for SECONDS
# (default 5), in two rounds:
#   - lost updates: both set PlayerStats.PassYards of the last 8 records to
#     values of their own (jetload write), logging every value acknowledged
#     and every one refused; afterwards each record holds the last value one
#     of them had acknowledged, never a refused one (jetload check);
#   - memo growth: both add to Games.Notes of the last 8 records (jetload
#     write --grow), so that the values move from the row to LVAL pages and
#     on to chains, on pages the other writer is appending at the same time;
#     the same check, and mdb-export (mdbtools) and mdb-reader read every
#     record of every table.
# A short lock timeout makes them meet often; meeting the other (a lock held
# too long, a record changed since it was read) is the only error allowed,
# and at least one of them must have met the other.
#
#   writers.sh JETLOAD FIXTURES TMP [SECONDS]
#
# Prints one line a round with each writer's updates and conflicts. Exits 77,
# which CTest reports as skipped, when a reader is missing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
jetload=$1 fixtures=$2 tmp=$3 seconds=${4:-5}
runner=""
failures=0
source "$here/../jet/process_common.sh"

require_readers

work="$tmp/writers"
rm -rf "$work"
mkdir -p "$work"
db="$work/NflSummary.mdb"
cp "$fixtures/NflSummary.mdb" "$db"
chmod u+w "$db"
tables=(Games PlayerStats TeamStats Teams)
node "$here/record-counts.mjs" "$db" "${tables[@]}" >"$work/counts.expected" ||
  { echo "the fixture does not read"; exit 1; }

started=()
trap 'for p in "${started[@]}"; do kill_tree "$p"; done' EXIT

conflict="^(Could not (update|read); currently locked( by user '[^']*' on machine '[^']*')?\.|Data has changed; operation stopped\.)\$"
# "write: N a, N b, ..." -> the number before NOUN.
figure() {
  local n
  n=$(grep -m1 "^write:" "$work/$1.out" | grep -oE "[0-9]+ $2" | cut -d' ' -f1)
  echo "${n:-0}"
}

# round NAME TABLE FIELD [OPTIONS]: both writers, then the check.
round() {
  local name=$1 table=$2 field=$3 w status met=0 summary=""
  shift 3
  for w in 1 2; do
    "$jetload" write "$db" "$table" "$field" --tag "$w" --log "$work/$name$w.log" --last 8 \
      --lock-timeout 200 --seconds "$seconds" "$@" >"$work/$name$w.out" 2>"$work/$name$w.err" &
    started+=($!)
  done
  for p in "${started[@]}"; do
    wait "$p"
    status=$?
    [ "$status" = 0 ] || fail "$name: a writer ended with status $status: $(grep -Ev "$conflict" "$work"/$name?.err | head -3)"
  done
  started=()
  for w in 1 2; do
    others=$(grep -Ev "$conflict" "$work/$name$w.err" | head -3)
    [ -z "$others" ] || fail "$name: writer $w: $others"
    [ "$(figure "$name$w" acknowledged)" -gt 0 ] || fail "$name: writer $w had no update acknowledged"
    met=$((met + $(figure "$name$w" conflicts)))
    summary+=" writer $w $(figure "$name$w" updates) updates, $(figure "$name$w" acknowledged) acknowledged,"
    summary+=" $(figure "$name$w" conflicts) conflicts ($(grep -c 'Data has changed' "$work/$name$w.err") data changed);"
  done
  [ "$met" -gt 0 ] || fail "$name: the writers never met"
  load check "$db" "$table" "$field" "$work/$name"1.log "$work/$name"2.log >"$work/$name.check" 2>&1 ||
    fail "$name: $(head -5 "$work/$name.check")"
  ldb_gone "$db"
  echo "writers: $name, ${seconds} s:$summary $(grep -m1 '^check:' "$work/$name.check")"
}

round updates PlayerStats PassYards
round memos Games Notes --grow

node "$here/record-counts.mjs" "$db" "${tables[@]}" >"$work/counts.out" 2>&1 &&
  cmp -s "$work/counts.out" "$work/counts.expected" ||
  fail "the other readers: $(head -3 "$work/counts.out")"

[ "$failures" = 0 ] && echo "writers: passed" && exit 0
exit 1
