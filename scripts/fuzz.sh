#!/bin/sh
# Runs the datagram fuzzer (clang, libFuzzer, ASan + UBSan) for SECONDS (default 60).
#   scripts/fuzz.sh [SECONDS]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
dir="$root/build-fuzz"
CXX=clang++ "$root/scripts/build.sh" "$dir" -DENABLE_FUZZER=ON -DENABLE_ASAN=ON -DENABLE_UBSAN=ON \
    -DBUILD_TESTING=OFF -DBUILD_GUI=OFF
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp "$root"/fuzz/regressions/* "$corpus"/ 2>/dev/null || true
"$dir/fuzz/fuzz_dispatch" -max_len=1072 -max_total_time="$seconds" -print_final_stats=1 "$corpus"
