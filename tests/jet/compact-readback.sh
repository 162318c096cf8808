#!/usr/bin/env bash
# Compacts every fixture (through tools/jetload) and checks the copies:
# jetdump reads every table of the copy exactly as it reads the original's
# (all tables, system tables included, every record and value), a second
# compaction of the copy writes the same bytes again, and
# mdbtools and mdb-reader read the copy as the engine does
# (oracle-readback.mjs). Prints the size ratio of every fixture. Exits 77,
# which CTest reports as skipped, when an independent reader is missing.
#   compact-readback.sh JETLOAD JETDUMP FIXTURES WORK_DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
oracle="$here/../../tools/oracle"
jetload=$1 jetdump=$2 fixtures=$3 work=$4

if ! command -v node >/dev/null 2>&1 || ! command -v mdb-export >/dev/null 2>&1 ||
   [ ! -f "$oracle/node_modules/mdb-reader/package.json" ]; then
  echo "SKIPPED: needs node, mdbtools and mdb-reader (scripts/deps.sh installs them)"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# Every table's records as jetdump reads them.
contents() {
  local file=$1 name
  "$jetdump" tables "$file" || return 1
  while IFS=$'\t' read -r name _; do
    echo "== $name"
    "$jetdump" rows "$file" "$name" || return 1
  done < <("$jetdump" tables "$file" | grep -v $'\t''linked$')
}

compacted=()
for source in "$fixtures"/*.mdb "$fixtures"/real/*.mdb; do
  name=$(basename "$source" .mdb)
  # Without the password there is nothing to compact.
  case "$name" in *with-password) continue ;; esac
  cp "$source" "$work/$name.mdb"
  # A linked table's target lies beside the database.
  [ "$name" = catalog ] && cp "$fixtures/NflSummary.mdb" "$work/" 2>/dev/null
  if ! "$jetload" compact "$work/$name.mdb" "$work/$name.c1.mdb" >"$work/$name.log" 2>&1; then
    fail "$name: $(cat "$work/$name.log")"
    continue
  fi
  "$jetload" compact "$work/$name.c1.mdb" "$work/$name.c2.mdb" >>"$work/$name.log" 2>&1 ||
    fail "$name (again): $(cat "$work/$name.log")"
  cmp -s "$source" "$work/$name.mdb" || fail "$name: the source changed"
  contents "$work/$name.mdb" >"$work/$name.rows" 2>&1 || fail "$name: the original does not read"
  for copy in c1 c2; do
    contents "$work/$name.$copy.mdb" >"$work/$name.$copy.rows" 2>&1 || fail "$name.$copy: the copy does not read"
    cmp -s "$work/$name.rows" "$work/$name.$copy.rows" || fail "$name.$copy: reads differently from the original"
  done
  s0=$(stat -c %s "$work/$name.mdb") s1=$(stat -c %s "$work/$name.c1.mdb") s2=$(stat -c %s "$work/$name.c2.mdb")
  [ "$s2" -le "$s1" ] || fail "$name: compacting the copy made it larger ($s1 -> $s2)"
  # Nothing is left to take out of a compacted copy: a second pass writes the same bytes.
  cmp -s "$work/$name.c1.mdb" "$work/$name.c2.mdb" || fail "$name: compacting the copy changed it"
  awk -v n="$name" -v a="$s0" -v b="$s1" -v c="$s2" \
    'BEGIN { printf "%-36s %9d -> %9d bytes (%.3f); again %9d\n", n, a, b, b / a, c }'
  compacted+=("$work/$name.c1.mdb")
done

node "$here/oracle-readback.mjs" "$jetdump" "${compacted[@]}" || fail "mdbtools or mdb-reader read a copy differently"
[ "$failures" = 0 ] && echo "compact readback: passed" && exit 0
exit 1
