#!/bin/sh
# Runs a fuzzer (clang, libFuzzer, ASan + UBSan) for SECONDS (default 60): the datagram fuzzer,
# or fuzz_records (the change log's and camera lists' readers).
#   scripts/fuzz.sh [SECONDS] [fuzz_dispatch|fuzz_records]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
target=${2:-fuzz_dispatch}
dir="$root/build-fuzz"
CXX=clang++ "$root/scripts/build.sh" "$dir" -DENABLE_FUZZER=ON -DENABLE_ASAN=ON -DENABLE_UBSAN=ON \
    -DBUILD_TESTING=OFF -DBUILD_GUI=OFF
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
if [ "$target" = fuzz_records ]; then
    cp "$root"/fuzz/records-seeds/* "$corpus"/
    "$dir/fuzz/fuzz_records" -max_len=4096 -max_total_time="$seconds" -print_final_stats=1 "$corpus"
    exit
fi
cp "$root"/fuzz/regressions/* "$corpus"/ 2>/dev/null || true
"$dir/fuzz/fuzz_dispatch" -max_len=1072 -max_total_time="$seconds" -print_final_stats=1 "$corpus"
