#!/bin/sh
# Builds the benchmarks in Release and runs the engine figures inside a private network
# namespace (all traffic is on loopback there).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build-bench"
"$root/scripts/build.sh" "$dir" -DBUILD_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF -DBUILD_GUI=OFF
"$root/scripts/in-netns.sh" sh -c "
    '$dir/bench/engine_bench' burst '$dir/apps/pelmora-sim/pelmora-sim' 20
    '$dir/bench/engine_bench' burst '$dir/apps/pelmora-sim/pelmora-sim' 20 --shared-cpu
    '$dir/bench/engine_bench' idle
    '$dir/bench/engine_bench' throughput"
