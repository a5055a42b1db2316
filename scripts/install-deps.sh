#!/bin/sh
# Installs everything Pelmora needs to build, test and run, from Debian's archive.
set -eu
packages="cmake ninja-build g++ clang libclang-rt-dev pkg-config git \
    libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev libcli11-dev \
    libxml2-dev libssl-dev libmicrohttpd-dev libcurl4-openssl-dev \
    qt6-base-dev libxkbcommon-dev libgl-dev iproute2 util-linux python3 \
    help2man groff-base gzip desktop-file-utils appstream bash-completion dpkg-dev fakeroot \
    file lintian \
    python3-pyatspi at-spi2-core dbus-daemon xvfb python3-xmlschema \
    qtkeychain-qt6-dev libsecret-1-0 gnome-keyring \
    qt6-tools-dev qt6-l10n-tools qt6-tools-dev-tools qt6-translations-l10n"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    # shellcheck disable=SC2086
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi
# The simulated ONVIF cameras are checked by a client we did not write, an npm package that the
# test installs into the build tree itself: only npm is needed here (any Node.js with it will do).
if ! command -v npm >/dev/null 2>&1; then
    echo "Installing: nodejs npm"
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends nodejs npm
fi
# A WS-Discovery responder that is no camera, for the test that must never list it. The test runs
# it in a namespace of its own; the service its package would start announces this PC on the real
# LAN, so it is kept from starting at install and left disabled.
if ! dpkg-query -W -f='${Status}' wsdd 2>/dev/null | grep -q "install ok installed"; then
    echo "Installing: wsdd (its service left disabled)"
    blocker=""
    if [ ! -e /usr/sbin/policy-rc.d ]; then
        blocker=/usr/sbin/policy-rc.d
        printf '#!/bin/sh\nexit 101\n' | $SUDO tee "$blocker" >/dev/null
        $SUDO chmod 755 "$blocker"
    fi
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends wsdd ||
        status=$?
    if [ -n "$blocker" ]; then
        $SUDO rm -f "$blocker"
    fi
    [ "${status:-0}" -eq 0 ] || exit "$status"
    if command -v systemctl >/dev/null 2>&1; then
        $SUDO systemctl disable --now wsdd.service >/dev/null 2>&1 || true
    fi
fi
