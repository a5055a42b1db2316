#!/bin/sh
# Wall time of apply-plan renumbering N simulated cameras (default 256) on 127.0.0.1, from the
# start of the command to its last "verified" line; SILENCE seconds (default 0) of silence after
# each camera accepts its network change. Usage: bench/run-plan-bench.sh BUILD_DIR [N] [SILENCE]
set -eu
build=${1:?build directory}
count=${2:-256}
silence=${3:-0}
sim=$build/apps/pelmora-sim/pelmora-sim
cli=$build/apps/pelmora-cli/pelmora-cli
work=$(mktemp -d)
trap 'kill "$simpid" 2>/dev/null; rm -rf "$work"' EXIT
"$sim" --bind 127.0.0.1 --port 0 --cameras "$count" --network-silence-seconds "$silence" \
    >"$work/sim.out" &
simpid=$!
while ! grep -q ready "$work/sim.out" 2>/dev/null; do sleep 0.05; done
port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/sim.out")
target="--target 127.0.0.1:$port"
# shellcheck disable=SC2086
macs=$("$cli" discover --csv --wait 1 $target | sed 1d | cut -d, -f1)
# shellcheck disable=SC2086
"$cli" plan --start 10.64.0.1 --mask 255.255.0.0 --gateway 10.64.255.254 $macs >"$work/plan.csv"
start=$(date +%s.%N)
# shellcheck disable=SC2086
"$cli" apply-plan "$work/plan.csv" --user admin --password password $target >"$work/out" ||
    true
end=$(date +%s.%N)
echo "cameras $count, silence ${silence}s: $(grep -c ' verified$' "$work/out") verified," \
    "$(echo "$end - $start" | bc) s (3 s of it listening before the check)"
