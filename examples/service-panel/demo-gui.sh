#!/usr/bin/env bash
# Starts the simulated driver and the service panel against it, for a person
# to try. With a display the panel opens its connect dialog filled in for the
# simulator and stays until it is closed. Without one it runs under a virtual
# display (xvfb-run) for a while, starts the driver, dispenses a formula and
# saves a screenshot, then ends.
set -euo pipefail

build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
sim="$build/sim/axodriver-sim"
panel="$build/examples/service-panel/service-panel"
work=$(mktemp -d)
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

for program in "$sim" "$panel"; do
  [ -x "$program" ] || { echo "$program is not built (make build)"; exit 1; }
done

# The default machines reported as a driver on real hardware, so that a
# formula is followed circuit by circuit.
"$sim" --port 0 --scenario "$here/../../sim/scenarios/hardware.json" >"$work/sim.log" 2>&1 &
sim_pid=$!
port=
for _ in $(seq 100); do
  port=$(sed -n 's/.*listening on [0-9.]*:\([0-9]*\).*/\1/p' "$work/sim.log")
  [ -n "$port" ] && break
  sleep 0.05
done
[ -n "$port" ] || { echo "the simulated driver did not start:"; cat "$work/sim.log"; exit 1; }
echo "simulated driver: $(head -n1 "$work/sim.log")"

# A settings root of our own: plain HTTP to a driver on this machine.
mkdir -p "$work/root/wuser/CommonSettings"
printf '[General]\nAXOServiceUSEOPENSSL=false\nAXODriverIP=127.0.0.1\n' \
  >"$work/root/wuser/CommonSettings/commonSettings"
export AXOCOMM_SETTINGS_ROOT="$work/root"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "service panel on the display; Connect starts the driver at 127.0.0.1:$port. Close the window to end."
  "$panel" --host 127.0.0.1 --port "$port" --level 2
else
  shot="$(cd "$build" && pwd)/service-panel-demo.png"
  seconds=${DEMO_SECONDS:-8}
  echo "no DISPLAY: running the panel under Xvfb for $seconds s (connect, dispense 1:20,3:10,7:16),"
  echo "then saving a screenshot to $shot"
  command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed (apt-get install xvfb)"; exit 1; }
  xvfb-run -a -s "-screen 0 1280x800x24" \
    "$panel" --host 127.0.0.1 --port "$port" --level 2 --connect --continue \
    --dispense "1:20,3:10,7:16" --quit-after "$seconds" --screenshot "$shot"
fi
echo "stopping the simulated driver"
