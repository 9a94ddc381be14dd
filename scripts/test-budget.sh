#!/bin/sh
# The test suite's line budget: per folder, the lines of source in src/<folder>
# and of tests in the tests/ folder that mirrors it, and tests as a share of
# source; tests/support, the fixtures every suite shares, and tests/faults, the
# fault matrix over every transfer, are rows of their own.
# Both sides are counted the same way: every line (code, comments and blank
# lines alike) of every *.cpp and *.h file below the folder. The source of
# src/protocol/engine is counted with src/protocol, whose tests hold both.
# Exits 1 when all tests together exceed the limit, in percent of all source.
#   scripts/test-budget.sh [limit percent, default 40]
set -eu
limit="${1:-40}"
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

lines() {
  [ -d "$1" ] || { echo 0; return; }
  find "$1" -type f \( -name '*.cpp' -o -name '*.h' \) -exec cat {} + | wc -l
}

ratio() {
  awk -v t="$1" -v s="$2" 'BEGIN { if (s > 0) printf "%5.1f %%", 100 * t / s; else printf "    - " }'
}

# Each row: its name, its source folder and its tests folder.
rows="base src/base tests/base
link src/link tests/link
protocol src/protocol tests/protocol
config src/config tests/config
monitor src/monitor tests/monitor
app/settings src/app/settings tests/app/settings
app/language src/app/language tests/app/language
app/session src/app/session tests/app/session
app/gui src/app/gui tests/gui
cli src/cli tests/cli
sim src/sim tests/sim
faults - tests/faults
support - tests/support"

printf '%-14s %8s %8s %8s\n' folder src tests ratio
counted_tests=0
echo "$rows" | {
  while read -r name src tests; do
    s=0
    [ "$src" = "-" ] || s=$(lines "$src")
    t=$(lines "$tests")
    counted_tests=$((counted_tests + t))
    printf '%-14s %8d %8d %8s\n' "$name" "$s" "$t" "$(ratio "$t" "$s")"
  done
  src_total=$(lines src)
  tests_total=$(lines tests)
  # Test code outside the mirrored folders still counts towards the total.
  other=$((tests_total - counted_tests))
  [ "$other" -eq 0 ] || printf '%-14s %8s %8d\n' "other tests" - "$other"
  printf '%-14s %8d %8d %8s\n' total "$src_total" "$tests_total" "$(ratio "$tests_total" "$src_total")"
  if [ $((tests_total * 100)) -gt $((src_total * limit)) ]; then
    echo "tests exceed ${limit} % of the source"
    exit 1
  fi
}
