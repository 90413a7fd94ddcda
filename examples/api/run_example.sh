#!/usr/bin/env bash
# Runs one API example against a simulated driver of its own:
#   run_example.sh AXODRIVER_SIM EXAMPLE [SIM ARGUMENTS...]
# starts the simulated driver on a free port, runs EXAMPLE 127.0.0.1:PORT with a
# settings root of its own (plain HTTP), and stops the driver again. The exit
# status is the example's.
set -euo pipefail

sim=$1
example=$2
shift 2
work=$(mktemp -d)
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

"$sim" --port 0 "$@" >"$work/sim.log" 2>&1 &
sim_pid=$!
port=
for _ in $(seq 200); do
  port=$(sed -n 's/.*listening on [0-9.]*:\([0-9]*\).*/\1/p' "$work/sim.log" | head -n1)
  [ -n "$port" ] && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.05
done
if [ -z "$port" ]; then
  echo "the simulated driver did not start:" >&2
  cat "$work/sim.log" >&2
  exit 1
fi

# The library reads <root>/wuser/CommonSettings/commonSettings; none here: plain HTTP.
export AXOCOMM_SETTINGS_ROOT="$work/root"
# Whatever the library leaves in the temporary directory goes with it.
export TMPDIR="$work"
mkdir -p "$AXOCOMM_SETTINGS_ROOT"
"$example" "127.0.0.1:$port"
