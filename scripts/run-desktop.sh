#!/bin/sh
# Starts the gateway simulator on 127.0.0.1:1002 and opens the desktop program
# set to reach it. The program's settings for this run live in the build
# folder, apart from the user's own. Without a display it shows the same
# gateway through tuskoctl instead.
set -eu
build="${1:-build}"
address=127.0.0.1
port=1002

config="$build/run-config"
mkdir -p "$config/Ombrel"
cat > "$config/Ombrel/DravenixIsdnTusko.conf" <<CONF
[DravenixIsdnTusko]
ComMode=1
TcpAddress=$address
TcpPort=$port
CONF

"$build/src/sim/tusko-gatewaysim" --quiet --tcp "$address:$port" > "$build/run-sim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT INT TERM
for _ in $(seq 50); do
  grep -q . "$build/run-sim.log" 2>/dev/null && break
  sleep 0.1
done
if ! kill -0 "$sim" 2>/dev/null; then
  echo "The simulator could not start on $address:$port:" >&2
  cat "$build/run-sim.log" >&2
  exit 1
fi
echo "tusko-gatewaysim listens on $address:$port"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: showing the gateway with tuskoctl instead of the desktop program."
  XDG_CONFIG_HOME="$(cd "$config" && pwd)" "$build/src/cli/tuskoctl" --tcp "$address:$port" info
  exit $?
fi
XDG_CONFIG_HOME="$(cd "$config" && pwd)" "$build/src/app/gui/tusko"
