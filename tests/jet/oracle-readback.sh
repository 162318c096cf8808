#!/usr/bin/env bash
# Changes databases through the engine (the WriterChanges tests, which keep
# their changed copies when QM_WRITER_OUTPUT is set), then reads the copies
# with jetdump, mdbtools and mdb-reader (oracle-readback.mjs). Exits 77,
# which CTest reports as skipped, when a reader is missing.
#   oracle-readback.sh JET_TESTS JETDUMP WORK_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
oracle="$here/../../tools/oracle"
tests=$1 jetdump=$2 work=$3

if ! command -v node >/dev/null 2>&1 || ! command -v mdb-export >/dev/null 2>&1 ||
   [ ! -f "$oracle/node_modules/mdb-reader/package.json" ]; then
  echo "SKIPPED: needs node, mdbtools and mdb-reader (scripts/deps.sh installs them)"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work"
QM_WRITER_OUTPUT="$work" QM_TEST_TMP_TAG=oracle "$tests" --gtest_filter='WriterChanges.*' >"$work/tests.log" 2>&1 || {
  cat "$work/tests.log"
  exit 1
}
shopt -s nullglob
files=("$work"/*.mdb)
[ ${#files[@]} -gt 0 ] || { echo "no changed copies were kept"; exit 1; }
node "$here/oracle-readback.mjs" "$jetdump" "${files[@]}"
