#!/usr/bin/env bash
# Crash safety: COUNT (default 100) processes working on one copy of the demo
# database are killed (SIGKILL) at a random moment, in turn a pass rewriting
# a table with the values it holds, a pass changing every field to its
# alternative and back (jetload rewrite --toggle), and a compaction, each
# table in turn for the passes.
#
#   kills.sh JETLOAD FIXTURES TMP [COUNT]
#
# After each kill:
#   - the database opens and every record of every table holds what it held
#     before the killed process started or what a completed update made of
#     it: after a same-value pass the file is byte for byte what it was;
#     after a changing pass every field holds its original value or its
#     alternative (`jetload compare --toggle` against the untouched fixture);
#     after a compaction the source is byte for byte what it was, and the
#     destination either is not there or holds every record (the copy is
#     written under a name of its own and named only when whole);
#   - the next user (the comparison) takes over the lock file the killed
#     process left and removes it when it closes;
#   - mdb-export and mdb-reader read every record of every table.
#   - a killed compaction's unfinished copy is left beside the destination
#     under a name of its own, and the next compaction into that destination
#     removes it: there is never more than one.
# At the end the database compacts into a copy that holds the same records,
# and no unfinished copy is left beside it.
# Prints "kills: N survived". Exits 77, which CTest reports as skipped, when
# a reader is missing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
jetload=$1 fixtures=$2 tmp=$3 count=${4:-100}
runner=""
failures=0
source "$here/../jet/process_common.sh"

require_readers

work="$tmp/kills"
rm -rf "$work"
mkdir -p "$work"
db="$work/NflSummary.mdb"
original="$work/original.mdb"
copy="$work/compacted.mdb"
cp "$fixtures/NflSummary.mdb" "$db"
cp "$fixtures/NflSummary.mdb" "$original"
chmod u+w "$db" "$original"
tables=(Games PlayerStats TeamStats Teams)

victim=""
trap '[ -n "$victim" ] && kill_tree "$victim"' EXIT

# Every table of FILE against the fixture, fields holding their original
# values or their alternatives; then both other readers' record counts.
node "$here/record-counts.mjs" "$original" "${tables[@]}" >"$work/counts.expected" ||
  { echo "the fixture does not read"; exit 1; }
contents_kept() {
  local file=$1 what=$2 t
  for t in "${tables[@]}"; do
    load compare "$file" "$original" "$t" --toggle >"$work/compare.out" 2>&1 ||
      fail "$what: $t: $(head -3 "$work/compare.out")"
  done
  node "$here/record-counts.mjs" "$file" "${tables[@]}" >"$work/counts.out" 2>&1 &&
    cmp -s "$work/counts.out" "$work/counts.expected" ||
    fail "$what: the other readers: $(head -3 "$work/counts.out")"
}

survived=0 same=0 changing=0 compactions=0 stale=0 named=0 partial=0
# How many copies in the making (NAME.~ and eight hex digits) lie beside NAME.
copies_beside() {
  local n=0 f
  for f in "$1".~*; do
    [[ -e "$f" && "${f##*.~}" =~ ^[0-9a-f]{8}$ ]] && n=$((n + 1))
  done
  echo "$n"
}
for i in $(seq 1 "$count"); do
  before=$(hash "$db")
  bad_before=$failures
  table=${tables[$(((i - 1) / 3 % ${#tables[@]}))]}
  rm -f "$copy"
  case $((i % 3)) in
  1) what="kill $i (same-value pass on $table)"; same=$((same + 1))
     "$jetload" rewrite "$db" "$table" --seconds 600 >/dev/null 2>"$work/victim.err" & ;;
  2) what="kill $i (changing pass on $table)"; changing=$((changing + 1))
     "$jetload" rewrite "$db" "$table" --seconds 600 --toggle >/dev/null 2>"$work/victim.err" & ;;
  0) what="kill $i (compaction)"; compactions=$((compactions + 1))
     "$jetload" compact "$db" "$copy" --seconds 600 >/dev/null 2>"$work/victim.err" & ;;
  esac
  victim=$!
  sleep_into_pass 0.05 0.75
  kill_tree "$victim"
  wait "$victim" 2>/dev/null
  victim=""
  [ -s "$work/victim.err" ] && fail "$what: the process failed before the kill: $(head -3 "$work/victim.err")"
  [ -e "$work/NflSummary.ldb" ] && stale=$((stale + 1))
  if [ $((i % 3)) != 2 ]; then
    [ "$(hash "$db")" = "$before" ] || fail "$what: the file changed"
  fi
  if [ $((i % 3)) = 0 ] && [ -e "$copy" ]; then
    named=$((named + 1))
    contents_kept "$copy" "$what: the destination"
    ldb_gone "$copy"
  fi
  # What a killed compaction was still writing is left under its own name,
  # until the next compaction into the same destination removes it: there is
  # never more than the last one's.
  leftovers=$(copies_beside "$copy")
  [ "$leftovers" -le 1 ] || fail "$what: $leftovers copies left beside the destination"
  [ $((i % 3)) = 0 ] && [ "$leftovers" = 1 ] && partial=$((partial + 1))
  contents_kept "$db" "$what"
  ldb_gone "$db"
  [ "$failures" = "$bad_before" ] && survived=$((survived + 1))
done

# Once the kills are over the database still compacts, into a copy that
# holds the same records.
rm -f "$copy"
load compact "$db" "$copy" --passes 1 >"$work/compact.out" 2>&1 || fail "the last compaction: $(cat "$work/compact.out")"
contents_kept "$copy" "the compacted copy"
[ "$(copies_beside "$copy")" = 0 ] || fail "the last compaction left the killed ones' copies beside it"
ldb_gone "$db"
# How much the killed changing passes left changed (compare counts fields).
changed=0
for t in "${tables[@]}"; do
  n=$(load compare "$db" "$original" "$t" 2>/dev/null | grep -oE '[0-9]+ mismatches' | cut -d' ' -f1)
  changed=$((changed + ${n:-0}))
done
echo "kills: $same same-value passes, $changing changing passes, $compactions compactions" \
  "($named left a whole destination, the others none; $partial a copy in the making, which the next removed);" \
  "$changed fields left at their alternative;" \
  "$stale left a lock file behind, which the next user removed"
echo "kills: $survived survived"
[ "$failures" = 0 ] && [ "$survived" = "$count" ] && exit 0
exit 1
