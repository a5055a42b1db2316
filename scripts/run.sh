#!/bin/sh
# Builds Pelmora and tries it without cameras: starts the camera simulator on 127.0.0.1 and the
# window (or, with --cli, the command-line tool) talking to it. Nothing is broadcast. For the
# window the simulator adds four ONVIF cameras, which the window probes directly on 127.0.0.1.
#   scripts/run.sh [--cli] [--cameras N]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cameras=12
mode=gui
while [ "$#" -gt 0 ]; do
    case "$1" in
        --cli) mode=cli ;;
        --cameras) cameras=$2; shift ;;
        *) echo "usage: $0 [--cli] [--cameras N]" >&2; exit 2 ;;
    esac
    shift
done
if [ "$mode" = gui ] && [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: showing the command-line tool instead (run from a desktop for the window)."
    mode=cli
fi
"$root/scripts/build.sh" "$root/build"
bin="$root/build/apps"
fifo=$(mktemp -u)
mkfifo "$fifo"
onvif=
[ "$mode" = gui ] && onvif="--onvif 4 --onvif-port 0"
# shellcheck disable=SC2086 # $onvif is several words on purpose
"$bin/pelmora-sim/pelmora-sim" --bind 127.0.0.1 --port 0 --cameras "$cameras" $onvif > "$fifo" &
sim=$!
trap 'kill $sim 2>/dev/null; rm -f "$fifo"' EXIT INT TERM
read -r ready < "$fifo"
echo "$ready"
port=$(echo "$ready" | sed -n 's/.*ready on 127\.0\.0\.1:\([0-9]*\).*/\1/p')
if [ "$mode" = gui ]; then
    discovery=$(echo "$ready" | sed -n 's/.*WS-Discovery on 127\.0\.0\.1:\([0-9]*\).*/\1/p')
    "$bin/pelmora/pelmora" --target "127.0.0.1:$port" --onvif-probe 127.0.0.1 \
        --onvif-port "$discovery"
else
    "$bin/pelmora-cli/pelmora-cli" discover --wait 2 --target "127.0.0.1:$port"
fi
