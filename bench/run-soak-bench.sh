#!/bin/sh
# Soak: a minute of a hostile LAN beside 12 well-behaved simulated cameras, against (a)
# `pelmora-cli discover --wait 60` and (b) the window on a virtual display. The hostile part is
# one pelmora-sim sending 50,000 datagrams a second: 20,000 random ones, 20,000 information
# replies from 5,000 MACs (the table stays full) and 10,000 stray acknowledgements.
#
# Reports: how each program ended (a crash is a failure), resident memory at 10 s and 60 s,
# the diagnostic lines written, the window's event-loop lateness during the flood (from its
# PELMORA_EVENT_LOOP_PROBE file), and the seconds after the flood until the 12 cameras are
# listed. In (b) the 12 cameras start only once the flood has filled the table, as cameras
# plugged in during a flood would, so that they must wait for the flood's entries to age out.
#
#   bench/run-soak-bench.sh BUILD_DIR [a|b]   (both by default; runs itself inside a private
#                                             network namespace)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?build directory}" && pwd)
if [ "${PELMORA_IN_NETNS:-}" != 1 ]; then
    exec "$root/scripts/in-netns.sh" "$0" "$build" "${2:-ab}"
fi
parts=${2:-ab}
sim=$build/apps/pelmora-sim/pelmora-sim
cli=$build/apps/pelmora-cli/pelmora-cli
window=$build/apps/pelmora/pelmora
work=$(mktemp -d)
pids=
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Starts a simulator with output to $work/$1.out and waits for its ready line.
start_sim() {
    name=$1
    shift
    "$sim" "$@" >"$work/$name.out" 2>&1 &
    pids="$pids $!"
    while ! grep -q ready "$work/$name.out" 2>/dev/null; do sleep 0.05; done
}
start_flood() {
    start_sim flood --cameras 0 --garbage 20000 --flood 20000 --flood-macs 5000 \
        --stray-acks 10000 --duration 60
}
rss_kib() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }
now() { date +%s.%N; }

case $parts in *a*) ;; *) run_a=no ;; esac
if [ "${run_a:-yes}" = yes ]; then
echo "== (a) pelmora-cli discover --wait 60"
start_sim cameras --cameras 12
start_flood
"$cli" discover --json --wait 60 >"$work/cli.json" 2>"$work/cli.err" &
cli_pid=$!
sleep 10
rss10=$(rss_kib "$cli_pid")
sleep 49.5
rss60=$(rss_kib "$cli_pid")
status=0
wait "$cli_pid" || status=$?
echo "exit status $status (0 expected)"
echo "RSS at 10 s ${rss10} KiB, at 60 s ${rss60} KiB, growth $((rss60 - rss10)) KiB"
grep '^pelmora-sim faults over' "$work/flood.out" || echo "flood not over?"
echo "stderr lines: $(wc -l <"$work/cli.err")"
head -5 "$work/cli.err"
python3 - "$work/cli.json" <<'PY'
import json, sys
cameras = json.load(open(sys.argv[1]))
real = [c for c in cameras if c["mac"].startswith("02:50:4D:00:00:")]
print(f"listed at the end: {len(cameras)}, of them the 12 cameras: {len(real)}")
PY
for pid in $pids; do kill "$pid" 2>/dev/null || true; done
wait 2>/dev/null || true
pids=
fi

case $parts in *b*) ;; *) exit 0 ;; esac
echo "== (b) the window"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids="$pids $!"
while [ ! -s "$work/display" ]; do sleep 0.05; done
start_flood
mkdir -p "$work/config"
start=$(now)
DISPLAY=:$(cat "$work/display") XDG_CONFIG_HOME="$work/config" \
    PELMORA_EVENT_LOOP_PROBE="$work/probe" "$window" >"$work/window.out" 2>"$work/window.err" &
window_pid=$!
sleep 3
start_sim cameras --cameras 12
sleep 7
rss10=$(rss_kib "$window_pid")
sleep 50
rss60=$(rss_kib "$window_pid")
while ! grep -q 'faults over' "$work/flood.out"; do sleep 0.1; done
flood_end=$(now)
grep '^pelmora-sim faults over' "$work/flood.out"
# The flood's entries leave the list after 60 s and the table after 90 s; then one enquiry.
sleep 110
running=yes
kill -0 "$window_pid" 2>/dev/null || running=no
kill -TERM "$window_pid" 2>/dev/null || true
status=0
wait "$window_pid" || status=$?
echo "still running at the end: $running; exit status on SIGTERM $status (0 expected)"
echo "RSS at 10 s ${rss10} KiB, at 60 s ${rss60} KiB, growth $((rss60 - rss10)) KiB"
echo "stdout lines: $(wc -l <"$work/window.out")"
head -5 "$work/window.out"
if [ -s "$work/window.err" ]; then
    echo "stderr (last lines):"
    tail -5 "$work/window.err"
fi
[ -f "$work/probe" ] || { echo "no figures from the event-loop probe"; exit 1; }
python3 - "$work/probe" "$start" "$flood_end" <<'PY'
import sys
path, start, end = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
late, listed = [], []
for line in open(path):
    words = line.split()
    if words[0] == "late":
        late.append((float(words[1]), float(words[2])))
    elif words[0] == "listed":
        listed.append((float(words[1]), int(words[2])))
during = sorted(v for t, v in late if start <= t <= end)
after = sorted(v for t, v in late if t > end)
def figures(values):
    if not values:
        return "no samples"
    at = lambda f: values[int(f * (len(values) - 1))]
    return f"p50 {at(0.5):.2f} ms, p99 {at(0.99):.2f} ms, max {values[-1]:.2f} ms ({len(values)} ticks)"
print("event-loop lateness during the flood:", figures(during))
print("event-loop lateness after it:        ", figures(after))
print("listed during the flood, at most:", max((n for t, n in listed if t <= end), default=0))
back = [t for t, n in listed if t > end and n == 12]
timeline = ", ".join(f"{t - end:+.0f} s: {n}" for t, n in listed if t > end - 5)
print("listed after the flood (s after its end: cameras):", timeline)
if back:
    print(f"the 12 cameras listed again {back[0] - end:.0f} s after the flood ended")
else:
    print("the 12 cameras were not listed again")
PY
