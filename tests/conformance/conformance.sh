#!/usr/bin/env bash
# Our programs beside a Jet 3 user of the lock file (jetprobe), on a copy of
# perf.mdb, table Perf20.
#
#   conformance.sh CHECK JETPROBE JETLOAD FIXTURES TMP [RUNNER]
#
#   probe   The probe against itself: the paper's worked example of a write
#           lock; two users conflict on a page and not beside it; a bounded
#           retry waits and then gets the page once it is let go; entries of
#           64 bytes at 64 * (user - 1); the first free user number is taken
#           again; the last user to leave deletes the lock file.
#   wait    While the probe holds the write lock of the page of the first
#           record, a rewrite with --lock-timeout 300 waits, then fails with
#           "Could not update; currently locked by user 'Admin' on machine
#           'PROBE-PC'."; one with a long timeout gets through once the probe
#           lets go.
#   hold    While `jetload hold` keeps the record it updated, the probe cannot
#           lock that page; after jetload ended it can.
#   slot    With the probe as user 1, jetload is user 2: its user byte is
#           locked and its entry (this computer, "Admin") is at 64; after
#           everyone left the lock file is gone.
#   read    Reading goes on while the probe holds the write locks of the
#           first record's page and of the table's definition page.
#   commit  Rewrite passes never write the header's commit bytes (changing
#           passes), nor anything at all (same-value passes).
#   table   While jetload keeps a table open, the table-read byte of its
#           definition page (and, open for writing, the table-write byte) is
#           held shared under jetload's user number.
#   census  With the probe as user 1 holding the write lock of a page and
#           `jetload hold` as user 2, `jetload locks` lists both users and
#           every lock where the probe's own formulas put it, and nothing
#           else; once both have left there is no lock file to read.
#   compact While the probe holds its user lock and a page's write lock,
#           compaction is refused with "Could not use '...'; file already
#           in use." and leaves no copy; once the probe has left it works.
#
# RUNNER runs a Windows build's programs (the Wine wrapper); file names are
# then passed to them as Z: paths.
set -uo pipefail
check=$1 jetprobe=$2 jetload=$3 fixtures=$4 tmp=$5 runner=${6:-}

work="$tmp/conformance-$check"
rm -rf "$work"
mkdir -p "$work"
db="$work/perf.mdb"
ldb="$work/perf.ldb"
cp "$fixtures/perf.mdb" "$db"
failures=0

source "$(dirname "$0")/../jet/process_common.sh"

probe() { ${runner:+"$runner"} "$jetprobe" "$@" | tr -d '\r'; }
ms() { date +%s%3N; }
# A Wine program takes a while to start: how long a holder lets the other
# side get going.
if [ -n "$runner" ]; then hold_seconds=12; else hold_seconds=4; fi

# Waits until FILE exists or process PID has ended without it.
wait_ready() {
  for _ in $(seq 1 1200); do
    [ -e "$1" ] && return 0
    kill -0 "$2" 2>/dev/null || break
    sleep 0.1
  done
  [ -e "$1" ]
}
# holder NAME COMPUTER [--page P]...: a probe that joins, takes the write
# locks of the pages and keeps them until `release NAME`.
declare -A holder_pid
# A probe that ends before it is ready without a word was lost by the
# platform (the probe always tells why it fails): it is noted and started
# once more, as load_told does for jetload.
holder() {
  local name=$1 attempt
  shift
  for attempt in 1 2; do
    rm -f "$work/$name.ready" "$work/$name.stop"
    ${runner:+"$runner"} "$jetprobe" hold "$(win "$db")" "$@" --seconds 300 --stop "$(win "$work/$name.stop")" \
      --ready "$(win "$work/$name.ready")" >"$work/$name.out" 2>&1 &
    holder_pid[$name]=$!
    wait_ready "$work/$name.ready" "${holder_pid[$name]}" && return 0
    if [ "$attempt" = 2 ] || [ -s "$work/$name.out" ] || kill -0 "${holder_pid[$name]}" 2>/dev/null; then break; fi
    echo "note: the probe $name ended before it was ready and said nothing; it ran again" >>"$work/notes"
  done
  fail "the probe $name did not take its locks: $(cat "$work/$name.out")"
}
release() {
  touch "$work/$1.stop"
  wait "${holder_pid[$1]}" || fail "the probe $1 failed: $(cat "$work/$1.out")"
}
slot_of() { tr -d '\r\n' <"$work/$1.ready"; }
# The 64 bytes of an entry, in hex: COMPUTER and USER, each NUL-padded to 32.
pad32() {
  local h
  h=$(printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n')
  while [ ${#h} -lt 64 ]; do h="${h}00"; done
  printf '%s' "$h"
}
entry_hex() { printf '%s%s' "$(pad32 "$1")" "$(pad32 "$2")"; }
entry_at() { dd if="$ldb" bs=64 skip=$(($1 - 1)) count=1 2>/dev/null | od -An -v -tx1 | tr -d ' \n'; }
# jetload in the background (not through a function, so that $! is the
# program), its ready file awaited.
start_load() {
  rm -f "$work/load.ready"
  ${runner:+"$runner"} "$jetload" "$@" --ready "$(win "$work/load.ready")" >"$work/load.out" 2>"$work/load.err" &
  load_pid=$!
  wait_ready "$work/load.ready" "$load_pid" || fail "jetload $1 did not get going: $(cat "$work/load.err")"
}
end_load() {
  wait "$load_pid" || fail "jetload failed: $(tr -d '\r' <"$work/load.err")"
}

# The definition page of Perf20 and the page of its first record.
read -r tdef first <<<"$(probe page "$(win "$db")" Perf20)"
[ -n "${first:-}" ] || { echo "FAILED: the probe cannot find the pages of Perf20"; exit 1; }

case "$check" in
probe)
  [ "$(probe range write 83 1)" = 0x2000A601-0x2000A701 ] || fail "user 1's write lock on page 83 is not 0x2000A601-0x2000A701"
  [ "$(probe range user 0 3)" = 0x10000003-0x10000003 ] || fail "user 3's user lock is not 0x10000003"
  [ "$(probe range table-write 83 2)" = 0x5000A602-0x5000A602 ] || fail "user 2's table-write lock of page 83 is wrong"
  holder a PROBE-PC --page "$first"
  [ "$(slot_of a)" = 1 ] || fail "the first user is not user 1"
  probe try "$(win "$db")" OTHER-PC "$first" >/dev/null && fail "a second user locked a page held by the first"
  probe try "$(win "$db")" OTHER-PC $((first + 1)) >/dev/null || fail "a second user could not lock the next page"
  start=$(ms)
  probe try "$(win "$db")" OTHER-PC "$first" --timeout 500 >/dev/null && fail "a bounded retry got a held page"
  [ $(($(ms) - start)) -ge 500 ] || fail "a bounded retry gave up before its time"
  [ -n "$runner" ] && delay=3 || delay=1
  (sleep "$delay" && touch "$work/a.stop") &
  probe try "$(win "$db")" OTHER-PC "$first" --timeout 30000 >/dev/null || fail "a retry did not get the page once it was let go"
  release a
  ldb_gone "$db"

  holder a PROBE-PC
  holder b OTHER-PC --page "$first"
  [ "$(slot_of b)" = 2 ] || fail "the second user is not user 2"
  [ "$(entry_at 1)" = "$(entry_hex PROBE-PC Admin)" ] || fail "entry 1 is $(entry_at 1)"
  [ "$(entry_at 2)" = "$(entry_hex OTHER-PC Admin)" ] || fail "entry 2 is $(entry_at 2)"
  [ "$(stat -c %s "$ldb")" = 128 ] || fail "the lock file is not two entries long"
  [ "$(probe held "$(win "$db")" user 0 2)" = exclusive ] || fail "user 2's user byte is not locked"
  [ "$(probe held "$(win "$db")" user 0 3)" = free ] || fail "user 3's user byte is locked"
  [ "$(probe held "$(win "$db")" write "$first" 7)" = exclusive ] || fail "the write lock is not seen"
  release a
  # The entry of a user who left stays until the slot is taken again.
  [ "$(probe who "$(win "$db")")" = "$(printf '1\tfree\tPROBE-PC\tAdmin\n2\theld\tOTHER-PC\tAdmin')" ] ||
    fail "who: $(probe who "$(win "$db")")"
  holder c THIRD-PC
  [ "$(slot_of c)" = 1 ] || fail "the free slot 1 was not taken again"
  [ "$(entry_at 1)" = "$(entry_hex THIRD-PC Admin)" ] || fail "entry 1 is $(entry_at 1) after it was taken again"
  release b
  [ -e "$ldb" ] || fail "the lock file went while a user was still there"
  release c
  ldb_gone "$db"
  ;;
wait)
  holder p PROBE-PC --page "$first"
  start=$(ms)
  load rewrite "$(win "$db")" Perf20 --passes 1 --lock-timeout 300 >"$work/write.out" 2>"$work/write.err"
  status=$?
  elapsed=$(($(ms) - start))
  message=$(tr -d '\r' <"$work/write.err")
  echo "rewrite beside the probe's write lock on page $first: exit status $status after $elapsed ms, \"$message\""
  [ "$status" = 1 ] || fail "the update did not fail"
  [ "$message" = "Could not update; currently locked by user 'Admin' on machine 'PROBE-PC'." ] ||
    fail "unexpected error: $message"
  [ "$elapsed" -ge 300 ] || fail "the update gave up before the lock timeout"
  [ -n "$runner" ] && delay=4 || delay=1
  (sleep "$delay" && touch "$work/p.stop") &
  load rewrite "$(win "$db")" Perf20 --passes 1 --lock-timeout 60000 >"$work/write.out" 2>"$work/write.err" ||
    fail "the update did not get through once the probe let go: $(tr -d '\r' <"$work/write.err")"
  release p
  ldb_gone "$db"
  ;;
hold)
  start_load hold "$(win "$db")" Perf20 --seconds "$hold_seconds"
  probe try "$(win "$db")" PROBE-PC "$first" >"$work/try.out"
  status=$?
  echo "probe beside jetload hold: $(cat "$work/try.out")"
  [ "$status" = 1 ] || fail "the probe locked page $first while our writer held it"
  end_load
  probe try "$(win "$db")" PROBE-PC "$first" >"$work/try.out" ||
    fail "the probe could not lock page $first after our writer ended"
  ldb_gone "$db"
  ;;
slot)
  holder p PROBE-PC
  [ "$(slot_of p)" = 1 ] || fail "the probe is not user 1"
  start_load read "$(win "$db")" Perf20 --seconds "$hold_seconds"
  computer=$(probe name)
  echo "beside the probe: $(probe who "$(win "$db")" | tr '\t\n' ' ;')"
  [ "$(probe held "$(win "$db")" user 0 2)" = exclusive ] || fail "jetload does not hold user byte 0x10000002"
  [ "$(entry_at 2)" = "$(entry_hex "$computer" Admin)" ] ||
    fail "entry 2 is $(entry_at 2), not \"$computer\", \"Admin\""
  [ "$(entry_at 1)" = "$(entry_hex PROBE-PC Admin)" ] || fail "jetload changed the probe's entry"
  # The probe leaves first: our program is the last user and deletes the file.
  release p
  kill -0 "$load_pid" 2>/dev/null || echo "note: jetload ended before the probe left"
  end_load
  ldb_gone "$db"
  ;;
read)
  holder p PROBE-PC --page "$first" --page "$tdef"
  load read "$(win "$db")" Perf20 --passes 3 >"$work/read.out" 2>"$work/read.err" ||
    fail "reading beside the probe's write locks failed: $(tr -d '\r' <"$work/read.err")"
  grep -q '^read: 3 passes, [1-9][0-9]* records, 0 mismatches' "$work/read.out" ||
    fail "unexpected reading: $(tr -d '\r' <"$work/read.out")"
  release p
  ldb_gone "$db"
  ;;
commit)
  # Jet 3 keeps them at 0x600-0x7FF of page 0, Jet 4 at 0xE00-0xFFF.
  [ "$(od -An -tu1 -j 20 -N 1 "$db" | tr -d ' ')" = 0 ] && block=3 || block=7
  commit_bytes() { dd if="$db" bs=512 skip="$block" count=1 2>/dev/null | sha256sum; }
  before=$(commit_bytes)
  load rewrite "$(win "$db")" Perf20 --passes 2 --toggle >"$work/write.out" 2>"$work/write.err" ||
    fail "the changing passes failed: $(tr -d '\r' <"$work/write.err")"
  [ "$(commit_bytes)" = "$before" ] || fail "changing passes wrote the commit bytes"
  before=$(hash "$db")
  load rewrite "$(win "$db")" Perf20 --passes 2 >"$work/write.out" 2>"$work/write.err" ||
    fail "the same-value passes failed: $(tr -d '\r' <"$work/write.err")"
  [ "$(hash "$db")" = "$before" ] || fail "same-value passes changed the file"
  ldb_gone "$db"
  ;;
table)
  for how in read write; do
    start_load hold "$(win "$db")" Perf20 --seconds "$hold_seconds" --"$how"
    user=$(probe who "$(win "$db")" | awk -F'\t' '$2 == "held" { print $1; exit }')
    if [ -z "$user" ]; then
      fail "$how: jetload holds no user lock"
    else
      read_lock=$(probe held "$(win "$db")" table-read "$tdef" "$user")
      write_lock=$(probe held "$(win "$db")" table-write "$tdef" "$user")
      echo "jetload hold --$how as user $user: table-read $read_lock, table-write $write_lock"
      [ "$read_lock" = shared ] || fail "$how: the table-read byte is $read_lock"
      [ "$how" = write ] && [ "$write_lock" != shared ] && fail "$how: the table-write byte is $write_lock"
    fi
    end_load
    [ "$(probe held "$(win "$db")" table-read "$tdef" "${user:-1}")" = free ] || fail "$how: the table lock outlived jetload"
  done
  ldb_gone "$db"
  ;;
census)
  holder p PROBE-PC --page 60000  # a page nobody else needs
  start_load hold "$(win "$db")" Perf20 --seconds "$hold_seconds"
  computer=$(probe name)
  census=$(load locks "$(win "$db")" | tr -d '\r')
  echo "census: $(printf '%s' "$census" | tr '\t\n' ' ;')"
  # A lock's line as the census gives it, from the probe's range of it.
  line() {
    local r first last
    r=$(probe range "$1" "$2" "$3")
    first=${r%-*} last=${r#*-}
    printf '%s\t%s\t%s\t%s\t%s\t%s%s' "$1" "$2" "$3" "$4" "$first" $((last - first + 1)) "${5:+$'\t'$5}"
  }
  for want in "$(printf 'user\t1\tpresent\tPROBE-PC\tAdmin')" "$(printf 'user\t2\tpresent\t%s\tAdmin' "$computer")" \
    "$(line write 60000 1 exclusive)" "$(line write "$first" 2 exclusive)" \
    "$(line table-read "$tdef" 2 shared Perf20)" "$(line table-write "$tdef" 2 shared Perf20)"; do
    grep -qxF "$want" <<<"$census" || fail "the census lacks \"$want\""
  done
  grep -q '^other' <<<"$census" && fail "the census found locks outside the layout"
  end_load
  release p
  load locks "$(win "$db")" >/dev/null
  status=$?
  [ "$status" = 3 ] || fail "the census of a database nobody uses ended with $status"
  ldb_gone "$db"
  ;;
compact)
  holder p PROBE-PC --page "$first"
  copy="$work/copy.mdb"
  compact_refused "$copy" "beside the probe"
  release p
  load compact "$(win "$db")" "$(win "$copy")" >"$work/compact.out" 2>"$work/compact.err" ||
    fail "the compaction failed once the probe had left: $(tr -d '\r' <"$work/compact.err")"
  ldb_gone "$db"
  ;;
*)
  echo "unknown check $check"
  exit 2
  ;;
esac

[ -f "$work/notes" ] && cat "$work/notes"
[ "$failures" = 0 ] && echo "conformance $check: passed" && exit 0
exit 1
