#!/usr/bin/env bash
# Starts the simulated driver, pings it with axocomm over plain HTTP and over
# TLS, starts the communication with it the way a service application does
# (communication level 2, each phase as it happens), dispenses a formula
# following its progress per circuit, then shows the other subcommands of
# axocomm (scan, exec, watch, errors, config, stats) and stops everything again.
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
  # Standard input: the control lines of --control, from a pipe kept open.
  mkfifo "$work/$name.in"
  "$sim" --port 0 "$@" <"$work/$name.in" >"$work/$name.log" 2>&1 &
  pids+=($!)
  exec {fd}>"$work/$name.in"
  eval "${name}_control=$fd"
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
start_sim plain --control --scenario "$(dirname "$0")/../sim/scenarios/hardware.json"
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
echo "== looking for the driver around another port, as a start does"
echo "\$ axocomm scan 127.0.0.1:$((plain_port + 3))"
"$cli" scan "127.0.0.1:$((plain_port + 3))"

echo
echo "== one command of the catalogue with a parameter"
echo "\$ axocomm exec 127.0.0.1:$plain_port GET_CALIB_LIST --dispenser 1 --access 2 --param 3"
"$cli" exec "127.0.0.1:$plain_port" GET_CALIB_LIST --dispenser 1 --access 2 --param 3

echo
echo "== watching the changes while the simulator raises an error (a control line)"
echo "\$ axocomm watch 127.0.0.1:$plain_port --level 1 --json   # then Ctrl-C"
"$cli" watch "127.0.0.1:$plain_port" --level 1 --json >"$work/watch.log" &
watch_pid=$!
for _ in $(seq 100); do grep -q '"event":"watching"' "$work/watch.log" && break; sleep 0.05; done
echo 'error 1 TE30007 "Canister 7 empty"' >&"$plain_control"
for _ in $(seq 100); do grep -q TE30007 "$work/watch.log" && break; sleep 0.05; done
kill -INT "$watch_pid"
wait "$watch_pid"
grep -E '"event"|TE30007' "$work/watch.log"

echo
echo "== the machines' errors, listed and cleared"
echo "\$ axocomm errors 127.0.0.1:$plain_port --clear"
"$cli" errors "127.0.0.1:$plain_port" --clear

echo
echo "== the machine configuration, in the driver's form"
echo "\$ axocomm config get 127.0.0.1:$plain_port config.xml --driver-form"
"$cli" config get "127.0.0.1:$plain_port" "$work/config.xml" --driver-form
echo "$(head -c 300 "$work/config.xml") ..."

echo
echo "== a statistics query"
echo "\$ axocomm stats 127.0.0.1:$plain_port \"SELECT position, colorant, amount FROM usage WHERE position = 3\""
"$cli" stats "127.0.0.1:$plain_port" "SELECT position, colorant, amount FROM usage WHERE position = 3"

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
