#!/usr/bin/env bash
# Runs the comparison of one fixture (see compare-fixture.mjs). Exits 77, which
# CTest reports as skipped, when a reader it needs is not installed;
# scripts/deps.sh installs all of them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
oracle="$here/../../tools/oracle"

missing=()
command -v node >/dev/null 2>&1 || missing+=("node")
for tool in mdb-export mdb-tables mdb-schema; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool (mdbtools)")
done
if command -v node >/dev/null 2>&1 && [ ! -f "$oracle/node_modules/mdb-reader/package.json" ]; then
  missing+=("mdb-reader (npm ci in tools/oracle)")
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIPPED: the comparison needs ${missing[*]}; scripts/deps.sh installs it"
  exit 77
fi
exec node "$here/compare-fixture.mjs" "$@"
