#!/bin/sh
# Draws every window of the desktop program on a virtual X display and saves
# the pictures in docs/screenshots.
set -eu
build="${1:-build}"
here=$(cd "$(dirname "$0")/.." && pwd)
xvfb-run -a -s "-screen 0 1280x900x24" \
  "$build/tests/tusko_screenshots" "$here/resources" "$here/docs/screenshots"
