# Shared by the scripts that run several processes on one database file
# (tests/jet/processes.sh, tests/reliability/*.sh); sourced, not run.
#
# Expects: $jetload (the load program), $runner (empty, or the Wine wrapper
# that runs a Windows build's programs, whose file names are then Z: paths)
# and $failures (a count, usually 0 at the start); load_told also $work, the
# test's own folder, and compact_refused $work and $db, the database.

# The name of a file as the programs see it.
win() { if [ -n "$runner" ]; then printf 'Z:%s' "$1"; else printf '%s' "$1"; fi; }
# Programs of the build run through the Wine wrapper when there is one: its
# path may hold blanks, hence ${runner:+"$runner"}, which also keeps a
# program started in the background the shell's own child.
load() { ${runner:+"$runner"} "$jetload" "$@"; }
# As load, for a step that must work: a run that ends in failure without a
# word on stderr was lost by the platform (the engine and the load program
# always tell why they fail): that is noted in $work/notes, shown at the end,
# and the step runs once more, its output then coming from the second run.
load_told() {
  local status
  load "$@" 2>"$work/told.err"
  status=$?
  if [ "$status" != 0 ] && [ ! -s "$work/told.err" ]; then
    echo "note: jetload $1 ended with status $status and said nothing; it ran again" >>"$work/notes"
    load "$@"
    return
  fi
  cat "$work/told.err" >&2
  return "$status"
}
# Background processes are started without a function around them, so that
# $! is the program's own process (the Wine wrapper execs Wine).
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
hash() { sha256sum "$1" | cut -d' ' -f1; }
# Waits until FILE exists (up to 120 s: a Wine prefix may be starting).
wait_for() {
  for _ in $(seq 1 1200); do
    [ -e "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
# Kills a process started here and the processes it started (by their ids:
# under Wine the program runs as a child of the wrapper).
# Returns once they are gone, so that what comes next never meets a process
# that is still ending.
kill_tree() {
  local child
  for child in $(pgrep -P "$1"); do kill_tree "$child"; done
  kill -9 "$1" 2>/dev/null
  for _ in $(seq 1 100); do
    case "$(ps -o stat= -p "$1" 2>/dev/null)" in "" | Z*) return 0 ;; esac
    sleep 0.05
  done
}
# Sleeps for a random moment between FROM and FROM + SPAN seconds.
sleep_random() {
  sleep "$(awk -v r="$RANDOM" -v from="$1" -v span="$2" 'BEGIN { printf "%.2f", from + r / 32768 * span }')"
}
# Sleeps for a random moment of a pass started just now: a Wine process
# takes longer to start. FROM and SPAN are the native figures.
sleep_into_pass() {
  if [ -n "$runner" ]; then sleep_random 1.5 3; else sleep_random "$1" "$2"; fi
}
# Compacts $db into COPY, which must be refused as the file being in use
# and leave no COPY behind; BESIDE says beside whom, for the output.
compact_refused() {
  local status message
  load compact "$(win "$db")" "$(win "$1")" --passes 1 >"$work/compact.out" 2>"$work/compact.err"
  status=$?
  message=$(tr -d '\r' <"$work/compact.err")
  echo "compact $2: exit status $status, \"$message\""
  [ "$status" = 1 ] || fail "the compaction did not fail"
  [ "$message" = "Could not use '$(win "$db")'; file already in use." ] || fail "unexpected error: $message"
  [ ! -e "$1" ] || fail "a refused compaction left its destination"
}
# The lock file of DATABASE (NAME.mdb -> NAME.ldb) must be gone.
ldb_gone() {
  local ldb="${1%.*}.ldb"
  [ ! -e "$ldb" ] || fail "the lock file $ldb is still there"
}

# Ends the script with 77 (CTest: skipped) unless node, mdbtools and the
# npm mdb-reader (tools/oracle) are there to read the file back.
require_readers() {
  local oracle
  oracle="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools/oracle" && pwd)"
  if ! command -v node >/dev/null 2>&1 || ! command -v mdb-export >/dev/null 2>&1 ||
     [ ! -f "$oracle/node_modules/mdb-reader/package.json" ]; then
    echo "SKIPPED: needs node, mdbtools and mdb-reader (scripts/deps.sh installs them)"
    exit 77
  fi
}
