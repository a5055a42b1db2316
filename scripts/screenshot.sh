#!/bin/sh
# Takes docs/pelmora.png, the README's and the metainfo's picture: the window listing twelve
# simulated cameras, on a virtual X display (Xvfb), inside a private network namespace and
# talking only to the simulator (--target), so nothing is broadcast.
#   scripts/screenshot.sh [BUILD_DIR]        (needs xvfb, xdotool, imagemagick)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
out="$root/docs/pelmora.png"
if [ "${PELMORA_SCREENSHOT_INNER:-}" != 1 ]; then
    "$root/scripts/build.sh" "$build"
    mkdir -p "$root/docs"
    exec "$root/scripts/in-netns.sh" env PELMORA_SCREENSHOT_INNER=1 \
        xvfb-run -a -s "-screen 0 1280x900x24" "$0" "$build"
fi
# From here: inside the namespace, on the virtual display.
config=$(mktemp -d)  # the window's default place and page, not a remembered one
fifo="$config/ready"
mkfifo "$fifo"
"$build/apps/pelmora-sim/pelmora-sim" --bind 127.0.0.1 --port 0 --cameras 12 > "$fifo" &
sim=$!
trap 'kill $sim ${window:-} 2>/dev/null; rm -rf "$config"' EXIT INT TERM
read -r ready < "$fifo"
port=${ready##*:}
port=${port%% *}
XDG_CONFIG_HOME="$config" "$build/apps/pelmora/pelmora" --target "127.0.0.1:$port" &
window=$!
id=$(xdotool search --sync --onlyvisible --name '^Pelmora' | head -n 1)
sleep 3  # every camera answers the first enquiry and the grid is drawn
import -window "$id" "$out"
echo "wrote $out"
