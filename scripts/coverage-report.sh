#!/bin/sh
# Prints line and branch coverage per folder of src/ from the gcov counters a
# TUSKO_COVERAGE build left after its tests ran: one line per folder and a total.
# Branches the compiler adds for exceptions and branches it cannot reach are
# left out, so the branch figure counts the code's own decisions.
#   scripts/coverage-report.sh <build folder>
set -eu
build="$(cd "$1" && pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
summary="$build/coverage-summary.json"

# Only this build's counters: other build folders under the root have their own.
gcovr --root "$root" --object-directory "$build" --filter "$root/src/" \
  --exclude-throw-branches --exclude-unreachable-branches \
  -j 2 --json-summary "$summary" "$build" >/dev/null

python3 - "$root" "$summary" <<'EOF'
import json, os, sys

root, summary = sys.argv[1], sys.argv[2]
# Longest prefix first, so src/protocol/engine is not counted under src/protocol.
folders = ["base", "link", "protocol/engine", "protocol", "config", "monitor",
           "app/settings", "app/language", "app/session", "app/gui", "cli", "sim"]
order = ["base", "link", "protocol", "protocol/engine", "config", "monitor",
         "app/settings", "app/language", "app/session", "app/gui", "cli", "sim"]
totals = {}
for entry in json.load(open(summary))["files"]:
    path = os.path.relpath(os.path.join(root, entry["filename"]), os.path.join(root, "src"))
    folder = next((f for f in folders if path.startswith(f + "/")), "other")
    t = totals.setdefault(folder, [0, 0, 0, 0])
    t[0] += entry["line_covered"]; t[1] += entry["line_total"]
    t[2] += entry["branch_covered"]; t[3] += entry["branch_total"]

def row(name, t):
    pct = lambda a, b: f"{100.0 * a / b:5.1f} %" if b else "    - "
    print(f"{name:<16}{pct(t[0], t[1])} {t[0]:>6}/{t[1]:<6}  {pct(t[2], t[3])} {t[2]:>6}/{t[3]}")

print(f"{'src/':<16}{'lines':<23}{'branches'}")
for name in order + (["other"] if "other" in totals else []):
    row(name, totals.get(name, [0, 0, 0, 0]))
row("total", [sum(t[i] for t in totals.values()) for i in range(4)])
EOF
