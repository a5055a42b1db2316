#!/bin/sh
# Checks that the includes point down the layers, then builds and runs every test.
#   scripts/run-tests.sh                 plain build in build/
#   scripts/run-tests.sh --sanitize      AddressSanitizer + UndefinedBehaviorSanitizer, build-asan/
#   scripts/run-tests.sh --tsan          ThreadSanitizer, build-tsan/ (all but the window tests)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-plain}
"$root/scripts/check-includes.sh" "$root"
case "$mode" in
    plain)
        dir="$root/build"
        "$root/scripts/build.sh" "$dir" -DENABLE_WERROR=ON
        ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
        ;;
    --sanitize)
        dir="$root/build-asan"
        "$root/scripts/build.sh" "$dir" -DENABLE_ASAN=ON -DENABLE_UBSAN=ON -DCMAKE_BUILD_TYPE=Debug
        ASAN_OPTIONS=detect_leaks=1 ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
        ;;
    --tsan)
        dir="$root/build-tsan"
        "$root/scripts/build.sh" "$dir" -DENABLE_TSAN=ON -DCMAKE_BUILD_TYPE=Debug
        # The window tests are left out: Qt itself is not built for ThreadSanitizer, so its own
        # worker threads report races that are not ours. The table and engine tests cover the
        # two threads of the tool.
        TSAN_OPTIONS=halt_on_error=1 ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" -LE gui
        ;;
    *)
        echo "usage: $0 [--sanitize|--tsan]" >&2
        exit 2
        ;;
esac
