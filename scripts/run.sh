#!/usr/bin/env bash
# Installs what is missing, builds Quillmere for 64-bit Windows and starts it
# through Wine on this desktop's display.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
win64="$here/build/win64"

if [ -z "${DISPLAY:-}" ]; then
  echo "run.sh: no display (DISPLAY is not set); start it from a desktop session" >&2
  exit 1
fi
"$here/scripts/deps.sh"
cmake -S "$here" -B "$win64" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-mingw64.cmake" >/dev/null
cmake --build "$win64" --target Quillmere -j2

# The program opens C:\Varnholt\NflSummary.mdb at start-up: the demo database goes
# there in the run's Wine prefix, unless a database is there already.
QM_WINE_DESKTOP=1 "$win64/wine-run.sh" --prepare
demo="$win64/wine-desktop/drive_c/Varnholt/NflSummary.mdb"
if [ ! -e "$demo" ]; then
  mkdir -p "$(dirname "$demo")"
  cp "$here/res/sample/NflSummary.mdb" "$demo"
  chmod u+w "$demo"
fi

QM_WINE_DESKTOP=1 exec "$win64/wine-run.sh" "$win64/app/Quillmere.exe"
