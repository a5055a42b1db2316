#!/bin/sh
# The site's record: wall time and peak memory of `pelmora-cli history` over a full 5 MiB change
# log (and its rotated predecessor, also 5 MiB), and of `diff` between two lists of 1,024
# simulated cameras found on 127.0.0.1 (JSON against CSV of the same cameras; JSON against a
# list with 100 cameras renumbered, 16 gone and 16 new). Usage:
# bench/run-record-bench.sh BUILD_DIR [RUNS]
set -eu
build=${1:?build directory}
runs=${2:-5}
sim=$build/apps/pelmora-sim/pelmora-sim
cli=$build/apps/pelmora-cli/pelmora-cli
work=$(mktemp -d)
trap 'kill "$simpid" 2>/dev/null; rm -rf "$work"' EXIT

# Two full log files of realistic lines: each request's sent line and its outcome.
PELMORA_STATE_DIR=$work/state
export PELMORA_STATE_DIR
mkdir -p "$PELMORA_STATE_DIR"
python3 - "$PELMORA_STATE_DIR" <<'PY'
import json, sys
limit = 5 * 1024 * 1024
for name, base in (("changes.jsonl.1", 0), ("changes.jsonl", 10**6)):
    with open(f"{sys.argv[1]}/{name}", "w") as out:
        size, n = 0, base
        while True:
            n += 1
            mac = "02:50:4D:%02X:%02X:%02X" % ((n >> 16) & 255, (n >> 8) & 255, n & 255)
            sent = json.dumps({"time": "2026-12-08T09:30:00+01:00", "id": f"1a2b-c3d4e5f6-{n}",
                               "program": "pelmora-cli", "action": "network", "mac": mac,
                               "ipAddress": "10.1.%d.%d" % (n >> 8 & 255, n & 255),
                               "model": "PM-NP244", "settings": {"dhcp": 0,
                               "ipAddress": "10.2.%d.%d" % (n >> 8 & 255, n & 255),
                               "subnetMask": "255.255.0.0", "dnsAuto": 1, "webPort": 80},
                               "result": "sent"}, separators=(",", ":")) + "\n"
            done = json.dumps({"time": "2026-12-08T09:30:01+01:00", "id": f"1a2b-c3d4e5f6-{n}",
                               "result": "OK"}, separators=(",", ":")) + "\n"
            if size + len(sent) + len(done) > limit:
                break
            out.write(sent + done)
            size += len(sent) + len(done)
PY

measure() {  # LABEL COMMAND...: the best wall time and the largest peak memory of RUNS runs
    label=$1
    shift
    best=""
    peak=0
    i=0
    while [ "$i" -lt "$runs" ]; do
        /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1 || true
        # A non-zero exit (diff finding differences) adds a line before the figures.
        read -r seconds kb <<EOT
$(tail -n 1 "$work/time")
EOT
        if [ -z "$best" ] || [ "$(echo "$seconds < $best" | bc)" = 1 ]; then best=$seconds; fi
        if [ "$kb" -gt "$peak" ]; then peak=$kb; fi
        i=$((i + 1))
    done
    echo "$label: best of $runs ${best} s, peak ${peak} KiB"
}

lines=$(cat "$PELMORA_STATE_DIR"/changes.jsonl* | wc -l)
echo "change log: $(du -b "$PELMORA_STATE_DIR/changes.jsonl" | cut -f1) + $(du -b "$PELMORA_STATE_DIR/changes.jsonl.1" | cut -f1) bytes, $lines lines"
measure "history (all, as lines)" "$cli" history
measure "history --json" "$cli" history --json
measure "history --mac --limit 10" "$cli" history --mac 02:50:4D:0F:42:41 --limit 10

"$sim" --bind 127.0.0.1 --port 0 --cameras 1024 >"$work/sim.out" &
simpid=$!
while ! grep -q ready "$work/sim.out" 2>/dev/null; do sleep 0.05; done
port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/sim.out")
"$cli" discover --json --wait 2 --target "127.0.0.1:$port" >"$work/old.json"
"$cli" discover --csv --wait 2 --target "127.0.0.1:$port" >"$work/old.csv"
python3 - "$work/old.json" "$work/new.json" <<'PY'
import json, sys
cameras = json.load(open(sys.argv[1]))
for c in cameras[:100]:
    c["ipAddress"] = "10.99." + c["ipAddress"].split(".", 2)[2]
gone = cameras[100:116]
kept = cameras[:100] + cameras[116:]
for i, c in enumerate(gone):
    c = dict(c, mac="02:50:4D:FE:00:%02X" % i)
    kept.append(c)
json.dump(kept, open(sys.argv[2], "w"), indent=2)
PY
echo "lists: $(grep -c '"mac"' "$work/old.json") and $(grep -c '"mac"' "$work/new.json") cameras"
measure "diff JSON CSV (same cameras)" "$cli" diff "$work/old.json" "$work/old.csv"
measure "diff JSON JSON (116 changes)" "$cli" diff "$work/old.json" "$work/new.json"
measure "diff --json CSV JSON" "$cli" diff --json "$work/old.csv" "$work/new.json"
status=0
"$cli" diff "$work/old.json" "$work/old.csv" >/dev/null || status=$?
echo "JSON against CSV of the same cameras: exit $status (0: no difference)"
echo "JSON against the changed list, lines by kind:" \
    "$("$cli" diff "$work/old.json" "$work/new.json" | cut -c1 | sort | uniq -c | tr -s ' \n' ' ')"
