#!/usr/bin/env bash
# The concurrency soak: on one copy of the demo database, for SECONDS
# (default 60), the live feed changes scores, notes and player statistics
# every 50 ms, two processes read Games and PlayerStats over and over, and a
# third rewrites every field of the last 8 games (the 4 the feed changes
# among them) with the value it holds, pass after pass. Then the feed is
# stopped (SIGTERM) and every process is waited for.
#
#   soak.sh FEED JETLOAD FIXTURES TMP [SECONDS]
#
# Passes when no process failed and none told of an error other than a
# conflict with another user (a lock held too long, a record changed since
# it was read); when mdb-export (mdbtools) and mdb-reader both read, in every
# record the feed changed, exactly the values of its last completed update
# (feed --record); and when the lock file is gone. A rewriter that put back a
# value it had read before the feed changed it fails: the feed finds its
# update gone when it comes back to the game, or the readback does. Prints
# one line with the operations and conflicts of each process. Exits 77,
# which CTest reports as skipped, when a reader is missing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
feed=$1 jetload=$2 fixtures=$3 tmp=$4 seconds=${5:-60}
runner=""
failures=0
source "$here/../jet/process_common.sh"

require_readers

work="$tmp/soak"
rm -rf "$work"
mkdir -p "$work"
db="$work/NflSummary.mdb"
cp "$fixtures/NflSummary.mdb" "$db"
chmod u+w "$db"

started=()
# Whatever is still running when the script ends (interrupted, timed out)
# is ended with it.
trap 'for p in "${started[@]}"; do kill_tree "$p"; done' EXIT

"$feed" "$db" --interval 50 --quiet --seed "$RANDOM" --record "$work/record.txt" \
  >"$work/feed.out" 2>"$work/feed.err" &
feeder=$!
started+=("$feeder")
"$jetload" read "$db" Games --changing --seconds "$seconds" >"$work/games.out" 2>"$work/games.err" &
games=$!
started+=("$games")
"$jetload" read "$db" PlayerStats --changing --seconds "$seconds" >"$work/players.out" 2>"$work/players.err" &
players=$!
started+=("$players")
"$jetload" rewrite "$db" Games --conflicts-ok --last 8 --seconds "$seconds" >"$work/rewrite.out" 2>"$work/rewrite.err" &
rewriter=$!
started+=("$rewriter")

sleep "$seconds"
kill -TERM "$feeder" 2>/dev/null
for who in feeder games players rewriter; do
  wait "${!who}"
  status=$?
  [ "$status" = 0 ] || fail "the $who process ended with status $status"
done
started=()

# Every line on stderr must be a conflict with another user.
conflict="^(feed: )?(Could not (update|read); currently locked( by user '[^']*' on machine '[^']*')?\.|Data has changed; operation stopped\.)\$"
for name in feed games players rewrite; do
  others=$(grep -Ev "$conflict" "$work/$name.err" | head -5)
  [ -z "$others" ] || fail "$name: $others"
done

# "word: N a, N b, ..." -> the number before NOUN.
figure() {
  local n
  n=$(grep -m1 "^$2:" "$work/$1.out" | grep -oE "[0-9]+ $3" | cut -d' ' -f1)
  echo "${n:-0}"
}
rounds=$(figure feed feed rounds)
feed_conflicts=$(figure feed feed met)
[ "$rounds" -gt 0 ] || fail "the feed completed no round: $(cat "$work/feed.out")"
[ "$(figure feed feed records)" = 0 ] || fail "the feed found its updates overwritten"
for reader in games players; do
  [ "$(figure "$reader" read passes)" -gt 0 ] || fail "the $reader reader made no pass"
  [ "$(figure "$reader" read mismatches)" = 0 ] || fail "the $reader reader: $(cat "$work/$reader.out")"
done
updates=$(figure rewrite rewrite updates)
[ "$updates" -gt 0 ] || fail "the rewriter made no update: $(cat "$work/rewrite.out")"

ldb_gone "$db"
[ -s "$work/record.txt" ] || fail "the feed left no record of its values"
node "$here/soak-readback.mjs" "$work/record.txt" "$db" || fail "the file does not hold what the feed wrote"

passes=$(($(figure games read passes) + $(figure players read passes)))
records=$(($(figure games read records) + $(figure players read records)))
reader_conflicts=$(($(figure games read conflicts) + $(figure players read conflicts)))
rewriter_conflicts=$(figure rewrite rewrite conflicts)
echo "soak: ${seconds} s; feed ${rounds} rounds; readers ${passes} passes, ${records} records;" \
  "rewriter ${updates} updates, $(figure rewrite rewrite written) written;" \
  "conflicts: feed ${feed_conflicts}, readers ${reader_conflicts}, rewriter ${rewriter_conflicts}" \
  "($(grep -c 'Data has changed' "$work/rewrite.err") of the rewriter's data changed)"
[ "$failures" = 0 ] && echo "soak: passed" && exit 0
exit 1
