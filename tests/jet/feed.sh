#!/usr/bin/env bash
# The live feed on a copy of the demo database: after its rounds, the last
# scores it says it wrote are what our engine and mdb-export read. Alone on
# the file, the feed must also find every record it comes back to as it
# wrote it last (memo, doubles and dates included).
#   feed.sh FEED JETDUMP DEMO.mdb TMPDIR
set -euo pipefail
command -v mdb-export >/dev/null || { echo "mdb-export missing"; exit 77; }
feed=$1 jetdump=$2 demo=$3 tmp=$4/feed
rm -rf "$tmp" && mkdir -p "$tmp"
cp "$demo" "$tmp/demo.mdb"
chmod u+w "$tmp/demo.mdb"
out=$("$feed" "$tmp/demo.mdb" --interval 0 --rounds 60 --quiet)
final=$(grep '^final:' <<<"$out")
echo "$out"
[ -n "$final" ] || { echo "no final line"; exit 1; }
grep -q '^feed: 60 rounds, 0 met another user, 0 records found changed' <<<"$out" ||
  { echo "the feed did not find its records as it wrote them"; exit 1; }
[ ! -e "$tmp/demo.ldb" ] || { echo "lock file left behind"; exit 1; }

# "final: G H-A G H-A ..." against both readers.
set -- ${final#final:}
[ $# -ge 2 ] || { echo "no games changed"; exit 1; }
games=$("$jetdump" rows "$tmp/demo.mdb" Games --top 1000)
export_csv=$(mdb-export "$tmp/demo.mdb" Games)
while [ $# -ge 2 ]; do
  game=$1 home=${2%-*} away=${2#*-}; shift 2
  grep -q "\"GameId\":$game,.*\"HomeScore\":$home,\"AwayScore\":$away,\"Final\":false" <<<"$games" \
    || { echo "engine: game $game is not $home-$away"; exit 1; }
  grep -q "^$game,[^,]*,[^,]*,[^,]*,[^,]*,[^,]*,$home,$away,0," <<<"$export_csv" \
    || { echo "mdb-export: game $game is not $home-$away"; exit 1; }
done
echo "feed: every last score reads back"
