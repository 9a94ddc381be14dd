#!/bin/sh
# Runs every libFuzzer binary in a folder for the given number of seconds,
# starting from its seed corpus and keeping what it finds in a scratch copy.
set -eu
dir="$1"
seconds="${2:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
for bin in "$dir"/*_fuzz; do
  name="$(basename "$bin")"
  work="$(mktemp -d)"
  [ -d "$root/fuzz/corpus/$name" ] && cp -r "$root/fuzz/corpus/$name/." "$work/"
  echo "== $name for ${seconds}s"
  "$bin" -max_total_time="$seconds" -print_final_stats=1 "$work"
  rm -rf "$work"
done
