#!/bin/sh
# A mixed plan of CAMERAS (default 64) simulated cameras, half ours and half ONVIF, applied and
# verified by apply-plan --onvif on a camera LAN of namespaces made for the run; SILENCE_MS
# (default 500) of silence after each ONVIF camera's move.
#
#   bench/run-plan-mix-bench.sh BUILD_DIR [CAMERAS] [SILENCE_MS]   (runs itself inside a private
#                                                                   network namespace)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?build directory}" && pwd)
if [ "${PELMORA_IN_NETNS:-}" != 1 ]; then
    exec "$root/scripts/in-netns.sh" "$0" "$build" "${2:-64}" "${3:-500}"
fi
exec python3 "$root/bench/plan_mix_bench.py" "$build/apps/pelmora-sim/pelmora-sim" \
    "$build/apps/pelmora-cli/pelmora-cli" "${2:-64}" "${3:-500}"
