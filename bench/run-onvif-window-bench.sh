#!/bin/sh
# The window with 256 simulated ONVIF cameras on loopback, offscreen: time to the first listed and
# to all read (without and with credentials), requests in flight, the event loop's lateness
# meanwhile and the window's memory. Builds the benchmarks in Release, runs inside a private
# network namespace.
#
#   bench/run-onvif-window-bench.sh [CAMERAS]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build-bench"
"$root/scripts/build.sh" "$dir" -DBUILD_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF -DBUILD_GUI=ON
"$root/scripts/in-netns.sh" "$dir/bench/onvif_window_bench" "$dir/apps/pelmora-sim/pelmora-sim" \
    "${1:-256}"
