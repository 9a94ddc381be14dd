#!/bin/sh
# Runs every libFuzzer binary in a folder, starting from its seed corpus and
# its dictionary of the format's tokens (fuzz/dict), keeping what it finds in a
# scratch copy.
#   scripts/run-fuzzers.sh <fuzz binaries> [seconds, default 60]
#   scripts/run-fuzzers.sh <fuzz binaries> --runs N [--merge]
# With --runs each target runs for N executions; with --merge the inputs that
# reach new code are minimised into fuzz/corpus/<target>, the corpus the
# replay tests run. A crash leaves its input in fuzz/crashes/<target>-*, and
# the script ends with failure after the remaining targets ran.
set -eu
dir="$1"
shift
limit="-max_total_time=${1:-60}"
merge=no
if [ "${1:-}" = "--runs" ]; then
  limit="-runs=$2"
  shift 2
  [ "${1:-}" = "--merge" ] && merge=yes
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
status=0
mkdir -p "$root/fuzz/crashes"
for bin in "$dir"/*_fuzz; do
  name="$(basename "$bin")"
  corpus="$root/fuzz/corpus/$name"
  dict="$root/fuzz/dict/$name.dict"
  work="$(mktemp -d)"
  [ -d "$corpus" ] && cp -r "$corpus/." "$work/"
  set -- "$limit" -print_final_stats=1 -artifact_prefix="$root/fuzz/crashes/$name-"
  [ -f "$dict" ] && set -- "$@" -dict="$dict"
  echo "== $name ($limit)"
  "$bin" "$@" "$work" 2>&1 | grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY|Done)" || true
  ls "$root/fuzz/crashes/$name-"* >/dev/null 2>&1 && { echo "!! $name crashed: fuzz/crashes/$name-*"; status=1; }
  if [ "$merge" = yes ]; then
    mkdir -p "$corpus"
    "$bin" -merge=1 "$corpus" "$work" 2>&1 | grep -E "MERGE-OUTER: [0-9]+ new files" || true
  fi
  rm -rf "$work"
done
rmdir "$root/fuzz/crashes" 2>/dev/null || true
exit $status
