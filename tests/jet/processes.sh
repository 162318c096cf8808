#!/usr/bin/env bash
# Several processes on one database file, through tools/jetload.
#
#   processes.sh concurrent JETLOAD FIXTURES TMP [SECONDS] [RUNNER]
#       One process rewrites Perf20 in a loop while another reads it in a
#       loop (QM_LONG_TESTS=1: 30 seconds, else SECONDS, default 5): first
#       with the values the fields hold, then changing each field and setting
#       it back. No operation may fail, every read must give the original
#       values (or, while they change, a field's changed value), and the file
#       must be byte for byte the same at the end.
#   processes.sh kill JETLOAD FIXTURES TMP [COUNT] [RUNNER]
#       A rewriting process killed at a random moment, COUNT times (default
#       20): the database opens and its contents are as they were (same-value
#       passes: the same bytes), and the next user cleans up the lock file.
#   processes.sh compact JETLOAD FIXTURES TMP [COUNT] [RUNNER]
#       A process compacting the database again and again, killed at a
#       random moment, COUNT times (default 20): the source is byte for byte
#       what it was and opens with the same records every time, and once the
#       kills are over it compacts into a copy that reads the same. While
#       another process has the database open the compaction is refused with
#       "Could not use '...'; file already in use." and changes nothing.
#   processes.sh outsider JETLOAD FIXTURES TMP [-] [RUNNER]
#       A second user of the machine ("nobody") who may write the database
#       but not the lock file another process made (an ordinary file, 0644):
#       it reads the table, and its updates fail with "Could not lock file."
#       and change nothing. Skipped (77) where no second user can be run
#       (not root, no setpriv, the folder out of its reach, a Windows build).
#   processes.sh conflict JETLOAD FIXTURES TMP [-] [RUNNER]
#       ("-" for SECONDS or COUNT: the default)
#       Another process reads the table (its recordset open), then writes it
#       and stays on its first record: the reader stops nobody, the writer's
#       page lock makes an update fail with "Could not update; currently
#       locked by user 'Admin' on machine '...'." after the bounded wait, and
#       the update works once the writer is gone. Meanwhile `jetload locks`
#       lists the other process as user 1 with its table-read lock (and,
#       writing, its page's write lock), and as gone once it was killed.
#
# RUNNER runs a Windows build's programs (the Wine wrapper); file names are
# then passed to them as Z: paths.
set -uo pipefail
mode=$1 jetload=$2 fixtures=$3 tmp=$4 arg=${5:-} runner=${6:-}
[ "$arg" = - ] && arg=""

work="$tmp/processes-$mode"
rm -rf "$work"
mkdir -p "$work"
db="$work/perf.mdb"
original="$work/original.mdb"
cp "$fixtures/perf.mdb" "$db"
cp "$fixtures/perf.mdb" "$original"
failures=0

source "$(dirname "$0")/process_common.sh"

case "$mode" in
concurrent)
  seconds=${arg:-5}
  [ "${QM_LONG_TESTS:-}" = 1 ] && seconds=30
  for variant in same toggle; do
    flag=""
    [ "$variant" = toggle ] && flag="--toggle"
    before=$(hash "$db")
    rm -f "$work/reading"
    ${runner:+"$runner"} "$jetload" read "$(win "$db")" Perf20 --seconds $((seconds + 2)) $flag --ready "$(win "$work/reading")" \
      >"$work/read.out" 2>"$work/read.err" &
    reader=$!
    wait_for "$work/reading" || fail "$variant: the reader did not start"
    load rewrite "$(win "$db")" Perf20 --seconds "$seconds" $flag >"$work/write.out" 2>"$work/write.err"
    writer_status=$?
    wait "$reader"
    reader_status=$?
    echo "$variant: $(tr -d '\r' <"$work/write.out") | $(tr -d '\r' <"$work/read.out" | grep '^read:')"
    [ "$writer_status" = 0 ] || fail "$variant: the writer failed: $(cat "$work/write.err")"
    [ "$reader_status" = 0 ] || fail "$variant: the reader failed: $(cat "$work/read.err")"
    grep -q '^rewrite: [1-9]' "$work/write.out" || fail "$variant: the writer made no pass"
    grep -q '^read: [1-9][0-9]* passes, [0-9]* records, 0 mismatches' "$work/read.out" ||
      fail "$variant: the reader saw other values"
    [ "$(hash "$db")" = "$before" ] || fail "$variant: the file changed"
    ldb_gone "$db"
  done
  ;;
kill)
  count=${arg:-20}
  before=$(hash "$db")
  for i in $(seq 1 "$count"); do
    flag=""
    [ $((i % 2)) = 0 ] && flag="--toggle"  # every other run changes the file for real
    ${runner:+"$runner"} "$jetload" rewrite "$(win "$db")" Perf20 --seconds 600 $flag >/dev/null 2>"$work/write.err" &
    writer=$!
    # A random moment of a pass.
    sleep_into_pass 0.1 0.6
    kill_tree "$writer"
    wait "$writer" 2>/dev/null
    # The database opens and holds the same records.
    load_told compare "$(win "$db")" "$(win "$original")" Perf20 --toggle >"$work/compare.out" 2>&1 ||
      fail "kill $i: exit status $?, $(cat "$work/compare.out")"
    if [ -z "$flag" ] && [ "$(hash "$db")" != "$before" ]; then
      # A same-value pass writes nothing, however it ends; only an earlier
      # changing run may have left a field changed.
      [ "$i" = 1 ] && fail "kill $i: a same-value pass changed the file"
    fi
    command -v mdb-export >/dev/null 2>&1 && [ "$(mdb-export "$db" Perf20 | wc -l)" != 1001 ] &&
      fail "kill $i: mdb-export does not read 1000 records"
  done
  # One clean pass with the values set back, then nothing differs and the
  # lock file left by the killed processes is gone.
  load_told rewrite "$(win "$db")" Perf20 --passes 1 >/dev/null 2>"$work/write.err" ||
    fail "clean pass: exit status $?, $(cat "$work/write.err")"
  load_told compare "$(win "$db")" "$(win "$original")" Perf20 --toggle >"$work/compare.out" 2>&1 ||
    fail "after the kills: exit status $?, $(cat "$work/compare.out")"
  ldb_gone "$db"
  echo "kill: $count processes killed; $(tr -d '\r' <"$work/compare.out")"
  ;;
compact)
  count=${arg:-20}
  before=$(hash "$db")
  copy="$work/compacted.mdb"
  for i in $(seq 1 "$count"); do
    rm -f "$copy"
    ${runner:+"$runner"} "$jetload" compact "$(win "$db")" "$(win "$copy")" --seconds 600 >/dev/null 2>"$work/compact.err" &
    compactor=$!
    sleep_into_pass 0.05 0.6
    kill_tree "$compactor"
    wait "$compactor" 2>/dev/null
    [ "$(hash "$db")" = "$before" ] || fail "kill $i: the source changed"
    load_told compare "$(win "$db")" "$(win "$original")" Perf20 >"$work/compare.out" 2>&1 ||
      fail "kill $i: exit status $?, $(cat "$work/compare.out")"
  done
  rm -f "$copy" "$work/holding"
  ${runner:+"$runner"} "$jetload" hold "$(win "$db")" Perf20 --seconds 60 --read --ready "$(win "$work/holding")" \
    >"$work/hold.out" 2>&1 &
  holder=$!
  wait_for "$work/holding" || fail "the holder did not open the database"
  compact_refused "$copy" "while another process has it open"
  kill_tree "$holder"
  wait "$holder" 2>/dev/null
  [ "$(hash "$db")" = "$before" ] || fail "the source changed"
  # The next user of the database clears the lock file the holder left.
  load compare "$(win "$db")" "$(win "$original")" Perf20 >"$work/compare.out" 2>&1 ||
    fail "after the holder ended: $(cat "$work/compare.out")"
  load compact "$(win "$db")" "$(win "$copy")" --passes 1 >"$work/compact.out" 2>&1 ||
    fail "after the kills: $(cat "$work/compact.out")"
  load compare "$(win "$copy")" "$(win "$original")" Perf20 >"$work/compare.out" 2>&1 ||
    fail "the copy: $(cat "$work/compare.out")"
  [ "$(hash "$db")" = "$before" ] || fail "the source changed"
  ldb_gone "$db"
  echo "compact: $count processes killed; $(tr -d '\r' <"$work/compact.out"); $(tr -d '\r' <"$work/compare.out")"
  ;;
conflict)
  for how in read write; do
    rm -f "$work/holding"
    ${runner:+"$runner"} "$jetload" hold "$(win "$db")" Perf20 --seconds 60 --"$how" --ready "$(win "$work/holding")" \
      >"$work/hold.out" 2>&1 &
    holder=$!
    wait_for "$work/holding" || fail "the holder did not take the lock"
    census=$(load locks "$(win "$db")" | tr -d '\r')
    grep -qx "user	1	present	.*	Admin" <<<"$census" || fail "$how: the census does not list the holder: $census"
    grep -q "^table-read	[0-9]*	1	shared	.*	Perf20$" <<<"$census" || fail "$how: no table-read lock: $census"
    writes=$(grep -c "^write	[0-9]*	1	exclusive" <<<"$census")
    [ "$how" = write ] && [ "$writes" = 0 ] && fail "write: the census shows no page write lock: $census"
    [ "$how" = read ] && [ "$writes" != 0 ] && fail "read: the census shows a page write lock: $census"
    load rewrite "$(win "$db")" Perf20 --passes 1 --lock-timeout 500 >"$work/write.out" 2>"$work/write.err"
    status=$?
    message=$(tr -d '\r' <"$work/write.err")
    echo "beside a $how holder: exit status $status, \"$message\""
    if [ "$how" = read ]; then
      [ "$status" = 0 ] || fail "a reader stopped the update: $message"
    else
      [ "$status" = 1 ] || fail "the update did not fail"
      [[ "$message" =~ ^Could\ not\ update\;\ currently\ locked\ by\ user\ \'Admin\'\ on\ machine\ \'[^\']+\'\.$ ]] ||
        fail "unexpected error: $message"
    fi
    kill_tree "$holder"
    wait "$holder" 2>/dev/null
    load locks "$(win "$db")" | tr -d '\r' | grep -qx "user	1	gone	.*	Admin" ||
      fail "$how: the census still lists the killed holder"
    load_told rewrite "$(win "$db")" Perf20 --passes 1 >"$work/write.out" 2>"$work/write.err" ||
      fail "after the holder ended: exit status $?, $(cat "$work/write.out" "$work/write.err")"
  done
  [ "$(hash "$db")" = "$(hash "$original")" ] || fail "the file changed"
  ldb_gone "$db"
  ;;
outsider)
  as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  chmod 0777 "$work"
  chmod 0666 "$db"
  if [ -n "$runner" ] || [ "$(id -u)" != 0 ] || ! command -v setpriv >/dev/null 2>&1 ||
     ! "${as_nobody[@]}" test -w "$db" -a -x "$jetload" 2>/dev/null; then
    echo "SKIPPED: needs root, setpriv and a folder a second user may reach"
    exit 77
  fi
  before=$(hash "$db")
  umask 022
  "$jetload" hold "$db" Perf20 --seconds 60 --read --ready "$work/holding" >"$work/hold.out" 2>&1 &
  holder=$!
  wait_for "$work/holding" || fail "the holder did not open the database"
  "${as_nobody[@]}" test -w "${db%.*}.ldb" && fail "the second user may write the lock file"
  "${as_nobody[@]}" "$jetload" rewrite "$db" Perf20 --passes 1 --toggle >"$work/write.out" 2>"$work/write.err"
  status=$?
  message=$(cat "$work/write.err")
  echo "a user who cannot write the lock file: exit status $status, \"$message\""
  [ "$status" = 1 ] || fail "its update did not fail"
  [ "$message" = "Could not lock file." ] || fail "unexpected error: $message"
  "${as_nobody[@]}" "$jetload" read "$db" Perf20 --passes 1 >"$work/read.out" 2>&1 ||
    fail "it could not read: $(cat "$work/read.out")"
  kill_tree "$holder"
  wait "$holder" 2>/dev/null
  [ "$(hash "$db")" = "$before" ] || fail "the file changed"
  load compare "$db" "$original" Perf20 >"$work/compare.out" 2>&1 || fail "after: $(cat "$work/compare.out")"
  ldb_gone "$db"
  ;;
*)
  echo "unknown mode $mode"
  exit 2
  ;;
esac

[ -f "$work/notes" ] && cat "$work/notes"
[ "$failures" = 0 ] && echo "processes $mode: passed" && exit 0
exit 1
