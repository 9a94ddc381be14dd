#!/bin/sh
# The fault matrix: runs the tests labelled "faults" (every transfer of
# tuskoctl over TCP and a pseudo-terminal against every simulator fault, one
# test per cell) in a build folder, then prints their outcomes as a table:
# the operations as rows, each fault a column holding the TCP and the
# pseudo-terminal outcome. Exits as ctest does: 0 when no cell was wrong or hung.
#   scripts/fault-matrix.sh [build folder, default build] [parallel jobs, default 2]
set -u
build="${1:-build}"
jobs="${2:-2}"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT

ctest --test-dir "$build" -L faults -V -j "$jobs" >"$log" 2>&1
status=$?
grep -q 'MATRIX ' "$log" || { tail -n 20 "$log"; echo "no cell ran" >&2; exit 1; }

# ctest -V prefixes each line with its test number, "12: MATRIX op link fault
# outcome", which follows the table of cells: sorted by it, rows and columns
# come in the test's order.
sed -n 's/^\([0-9]*\): MATRIX /\1 /p' "$log" | sort -n | cut -d' ' -f2- | awk '
  function short(outcome) {
    if (outcome == "failed-clearly") return "failed"
    if (outcome == "wrong") return "WRONG"
    if (outcome == "hung") return "HUNG"
    return outcome
  }
  {
    if (!($1 in seenOp)) { seenOp[$1] = 1; ops[++opCount] = $1 }
    if (!($3 in seenFault)) { seenFault[$3] = 1; faults[++faultCount] = $3 }
    cell[$1, $2, $3] = short($4)
  }
  END {
    width = 13
    printf "%-15s", "tcp/pty"
    for (f = 1; f <= faultCount; ++f) printf " %-" width "s", faults[f]
    printf "\n"
    for (o = 1; o <= opCount; ++o) {
      printf "%-15s", ops[o]
      for (f = 1; f <= faultCount; ++f) {
        tcp = cell[ops[o], "tcp", faults[f]]; pty = cell[ops[o], "pty", faults[f]]
        printf " %-" width "s", (tcp == "" ? "-" : tcp) "/" (pty == "" ? "-" : pty)
      }
      printf "\n"
    }
  }' | sed 's/ *$//'
sed -n 's/^Total Test time (real) = *//p' "$log" | sed 's/^/ctest -L faults took /'
[ "$status" -eq 0 ] || grep -E '^[0-9]+: MATRIX .* (wrong|hung)$' "$log" | sed 's/^[0-9]*: //'
exit "$status"
