#!/usr/bin/env bash
# Starts the simulated driver, pings it with axocomm over plain HTTP and over
# TLS, starts the communication with it the way a service application does
# (communication level 2, each phase as it happens), dispenses a formula
# following its progress per circuit, and stops everything again.
set -euo pipefail

build=${1:-build}
sim="$build/sim/axodriver-sim"
cli="$build/cli/axocomm"
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

start_sim() { # name, then sim arguments; sets $port
  local name=$1; shift
  "$sim" --port 0 "$@" >"$work/$name.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on [0-9.]*:\([0-9]*\).*/\1/p' "$work/$name.log")
    [ -n "$port" ] && return 0
    sleep 0.05
  done
  echo "the simulated driver did not start:"; cat "$work/$name.log"; exit 1
}

# The client settings file decides between plain and TLS; point the library
# at a settings root of our own instead of the file-system root.
settings() { # true|false
  mkdir -p "$work/root/wuser/CommonSettings"
  printf '[General]\nAXOServiceUSEOPENSSL=%s\nAXODriverIP=127.0.0.1\n' "$1" \
    >"$work/root/wuser/CommonSettings/commonSettings"
}
export AXOCOMM_SETTINGS_ROOT="$work/root"

echo "== plain HTTP"
# The default machines, reported as a driver on real hardware (not
# simulating), so that a formula is followed circuit by circuit.
start_sim plain --scenario "$(dirname "$0")/../sim/scenarios/hardware.json"
plain_port=$port
echo "\$ axodriver-sim --port 0            # $(head -n1 "$work/plain.log")"
settings false
echo "\$ axocomm ping 127.0.0.1:$port"
"$cli" ping "127.0.0.1:$port"

echo
echo "== TLS with Basic authentication (AXOServiceUSEOPENSSL=true)"
start_sim tls --tls
echo "\$ axodriver-sim --port 0 --tls      # $(head -n1 "$work/tls.log")"
settings true
echo "\$ axocomm ping 127.0.0.1:$port      # certificate built into the library"
"$cli" ping "127.0.0.1:$port"

echo
echo "== starting the communication at level 2, then a formula with its progress (plain)"
settings false
echo "\$ axocomm start 127.0.0.1:$plain_port --level 2 --dispense 1:2.5,3:1.5,7:4"
"$cli" start "127.0.0.1:$plain_port" --level 2 --dispense 1:2.5,3:1.5,7:4

echo
echo "== a driver that is not there"
echo "\$ axocomm ping 127.0.0.1:1 --timeout 2"
"$cli" ping 127.0.0.1:1 --timeout 2 2>/dev/null && status=0 || status=$?
echo "(exit status $status)"

echo
echo "== stopping the simulated drivers"
cleanup
pids=()
trap - EXIT
echo "done"
