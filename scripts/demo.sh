#!/usr/bin/env bash
# Quillmere and a live scoring feed on the same demo database: start "Start
# Reading MDB" on Games and watch the scores change; "Start Updating MDB"
# then runs beside a real writer. Closing Quillmere stops the feed.
#   scripts/demo.sh [FEED-INTERVAL-MS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/deps.sh"
win64="$here/build/win64"
cmake -S "$here" -B "$win64" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw64.cmake" >/dev/null
cmake --build "$win64" --target Quillmere feed -j2

QM_WINE_DESKTOP=1 "$win64/wine-run.sh" --prepare
demo="$win64/wine-desktop/drive_c/Varnholt/NflSummary.mdb"
if [ ! -e "$demo" ]; then
  mkdir -p "$(dirname "$demo")"
  cp "$here/res/sample/NflSummary.mdb" "$demo"
  chmod u+w "$demo"
fi

# Both run under Wine, so that they share Wine's byte-range locks.
QM_WINE_DESKTOP=1 "$win64/wine-run.sh" "$win64/tools/feed.exe" 'C:\Varnholt\NflSummary.mdb' \
  --interval "${1:-400}" --quiet &
# When Quillmere ends, the feed ends with the prefix's Wine processes.
trap 'WINEPREFIX="$win64/wine-desktop" wineserver -k >/dev/null 2>&1 || true' EXIT
QM_WINE_DESKTOP=1 "$win64/wine-run.sh" "$win64/app/Quillmere.exe"
