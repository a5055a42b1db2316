#!/bin/sh
# Builds the benchmarks in Release and runs the window's figures (1,024 simulated cameras on
# loopback, offscreen) inside a private network namespace, then the cost of one list rewrite
# with 1,024 cameras of which one changed.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build-bench"
"$root/scripts/build.sh" "$dir" -DBUILD_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF -DBUILD_GUI=ON
"$root/scripts/in-netns.sh" "$dir/bench/window_bench" "$dir/apps/pelmora-sim/pelmora-sim" "${1:-5}"
"$root/scripts/in-netns.sh" "$dir/bench/bench_camera_list" --benchmark_filter=OneChanged
