#!/bin/sh
# Runs a command inside a private network namespace that has only a loopback interface, with
# the default route on it. Anything the tool broadcasts to 255.255.255.255 then stays inside
# this namespace: use it for every manual run of pelmora, pelmora-cli or pelmora-sim that may
# broadcast. Works without root (a user namespace maps you to root inside).
#
#   scripts/in-netns.sh CMD [ARGS...]
#   scripts/in-netns.sh sh -c 'pelmora-sim --cameras 20 & sleep 0.2; pelmora-cli discover'
set -eu
if [ "$#" -eq 0 ]; then
    echo "usage: $0 CMD [ARGS...]" >&2
    exit 2
fi
if [ "${PELMORA_IN_NETNS:-}" = 1 ]; then
    exec "$@"
fi
exec unshare --user --map-root-user --net -- sh -c '
    ip link set lo up && ip route add default dev lo || exit 1
    export PELMORA_IN_NETNS=1
    exec "$@"' sh "$@"
