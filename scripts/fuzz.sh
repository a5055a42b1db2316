#!/bin/sh
# Runs the libFuzzer targets (clang, ASan + UBSan), built in build-fuzz/.
#   scripts/fuzz.sh [SECONDS]                  every target; SECONDS (default 60) shared among them
#   scripts/fuzz.sh TARGET [LIMIT...] [--merge]
# TARGET is a folder name under fuzz/corpus/ (dispatch, sim_request, plan, ...). LIMIT is
# seconds (120 or 120s), minutes (45m) or executions (2000000runs); given both a time and a
# count, the run stops at whichever comes first; none means 60 s. Each run starts from the
# target's kept corpus, fuzz/corpus/TARGET/. --merge then adds to that folder only the new
# inputs that reach code it did not (libFuzzer's -merge=1, by edges), so it stays small. An
# input that finds a fault is written to build-fuzz/artifacts/TARGET/ and the script fails.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build-fuzz"

targets() {
    for d in "$root"/fuzz/corpus/*/; do basename "$d"; done
}

build() {
    CXX=clang++ "$root/scripts/build.sh" "$dir" -DENABLE_FUZZER=ON -DENABLE_ASAN=ON \
        -DENABLE_UBSAN=ON -DBUILD_TESTING=OFF -DBUILD_GUI=OFF
}

# fuzz TARGET MERGE LIBFUZZER-OPTIONS...
fuzz() {
    name=$1 merge=$2
    shift 2
    kept="$root/fuzz/corpus/$name"
    [ -d "$kept" ] || { echo "no such target: $name (one of: $(targets | tr '\n' ' '))" >&2; exit 2; }
    binary="$dir/fuzz/fuzz_$name"
    # The datagram script is at most one datagram long; other inputs may be longer.
    max_len=4096
    [ "$name" = dispatch ] && max_len=1072
    work=$(mktemp -d)
    artifacts="$dir/artifacts/$name"
    mkdir -p "$artifacts"
    cp "$kept"/* "$work"/
    status=0
    "$binary" -max_len=$max_len -print_final_stats=1 -artifact_prefix="$artifacts/" "$@" \
        "$work" || status=$?
    if [ "$status" -eq 0 ] && [ "$merge" = yes ]; then
        # Edges only, not how often each is taken: the same coverage from far fewer inputs.
        "$binary" -max_len=$max_len -merge=1 -use_counters=0 "$kept" "$work" || status=$?
    fi
    rm -rf "$work"
    return "$status"
}

case "${1:-60}" in
    [0-9]*)
        if [ "$#" -ge 2 ]; then
            # The older form "SECONDS fuzz_TARGET": that target alone.
            build
            fuzz "${2#fuzz_}" no -max_total_time="$1"
            exit
        fi
        # Every target, the time shared among them (CI gives one minute in all).
        seconds=${1:-60}
        count=$(targets | wc -l)
        share=$((seconds / count))
        [ "$share" -ge 1 ] || share=1
        build
        for name in $(targets); do
            echo "== $name: $share s"
            fuzz "$name" no -max_total_time="$share"
        done
        ;;
    -*)
        sed -n '2,10p' "$0" >&2
        exit 2
        ;;
    *)
        name=$1
        shift
        merge=no
        options=""
        for arg in "$@"; do
            case "$arg" in
                --merge) merge=yes ;;
                *runs) options="$options -runs=${arg%runs}" ;;
                *m) options="$options -max_total_time=$((${arg%m} * 60))" ;;
                *s) options="$options -max_total_time=${arg%s}" ;;
                [0-9]*) options="$options -max_total_time=$arg" ;;
                *) echo "not a limit: $arg" >&2; exit 2 ;;
            esac
        done
        [ -n "$options" ] || options="-max_total_time=60"
        build
        # shellcheck disable=SC2086 # the options are words on purpose
        fuzz "$name" "$merge" $options
        ;;
esac
