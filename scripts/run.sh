#!/bin/sh
# Builds Pelmora and tries it without cameras: inside a private network namespace (nothing
# leaves this machine), starts the camera simulator and lists its cameras with pelmora-cli.
#   scripts/run.sh [--cameras N]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cameras=8
if [ "${1:-}" = "--cameras" ] && [ -n "${2:-}" ]; then
    cameras=$2
fi
"$root/scripts/build.sh" "$root/build" -DBUILD_TESTING=OFF
bin="$root/build/apps"
echo "Starting $cameras simulated cameras and discovering them (inside a private network namespace):"
"$root/scripts/in-netns.sh" sh -c '
    fifo=$(mktemp -u) && mkfifo "$fifo"
    "$1/pelmora-sim/pelmora-sim" --cameras "$2" > "$fifo" &
    sim=$!
    read -r ready < "$fifo" && rm -f "$fifo"
    echo "$ready"
    "$1/pelmora-cli/pelmora-cli" discover --wait 2
    status=$?
    kill $sim
    exit $status' sh "$bin" "$cameras"
