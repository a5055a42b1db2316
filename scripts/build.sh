#!/bin/sh
# Configures and builds into a build directory.
#   scripts/build.sh [BUILD_DIR] [extra cmake arguments...]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-"$root/build"}
[ "$#" -gt 0 ] && shift
cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
