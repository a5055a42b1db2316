#!/bin/sh
# Runs a command against a Secret Service of its own: a private session bus with
# gnome-keyring-daemon on it, its keyring unlocked with a test password, HOME and
# XDG_RUNTIME_DIR in a temporary folder. Skips (77) where either program is missing.
#   with-secret-service.sh COMMAND [ARGUMENTS...]
set -eu
if ! command -v gnome-keyring-daemon >/dev/null || ! command -v dbus-run-session >/dev/null; then
    echo "skipped: gnome-keyring-daemon or dbus-run-session is missing"
    exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/home" "$scratch/run"
status=0
HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/run dbus-run-session -- sh -c '
    printf pelmora-test | gnome-keyring-daemon --unlock --components=secrets >/dev/null
    exec "$@"' sh "$@" || status=$?
exit "$status"
