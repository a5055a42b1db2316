#!/bin/sh
# ONVIF: 256 simulated cameras found and fully read by `pelmora-cli discover --onvif --user admin
# --json`, on a camera LAN of namespaces made for the run. Reports the first ProbeMatch and the
# span of the readings as seen on the wire (the CLI lists only at the end), the command's wall
# time, the peak of requests in flight and the CLI's peak RSS.
#
#   bench/run-onvif-bench.sh BUILD_DIR [CAMERAS]   (runs itself inside a private network
#                                                   namespace)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?build directory}" && pwd)
if [ "${PELMORA_IN_NETNS:-}" != 1 ]; then
    exec "$root/scripts/in-netns.sh" "$0" "$build" "${2:-256}"
fi
exec python3 "$root/bench/onvif_bench.py" "$build/apps/pelmora-sim/pelmora-sim" \
    "$build/apps/pelmora-cli/pelmora-cli" "${2:-256}"
