#!/bin/sh
# Installs a built tree into a scratch DESTDIR and checks it: every file at its place, each
# installed program's --version and --help, the desktop entry and AppStream metainfo through
# their validators; then builds the Debian package and runs lintian on it.
#   scripts/check-install.sh [BUILD_DIR]      (default build/, as scripts/run-tests.sh makes it)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
id=io.github.pelmora.Pelmora
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null
usr="$dest/usr"
for f in bin/pelmora bin/pelmora-cli bin/pelmora-sim \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/48x48/apps/$id.png \
    share/icons/hicolor/256x256/apps/$id.png \
    share/man/man1/pelmora.1.gz share/man/man1/pelmora-cli.1.gz share/man/man1/pelmora-sim.1.gz \
    share/bash-completion/completions/pelmora-cli \
    share/doc/pelmora/copyright share/doc/pelmora/changelog.gz \
    share/doc/pelmora/examples/60-pelmora.conf; do
    [ -f "$usr/$f" ] || fail "not installed: /usr/$f"
done
[ ! -e "$dest/etc" ] || fail "something installed under /etc: the sysctl drop-in is only an example"

# The window prints its help and version without a display on Qt's offscreen platform.
export QT_QPA_PLATFORM=offscreen
for program in pelmora pelmora-cli pelmora-sim; do
    got=$("$usr/bin/$program" --version 2>/dev/null) || fail "$program --version exits non-zero"
    [ "$got" = "$program $version" ] || fail "$program --version printed '$got', not '$program $version'"
    "$usr/bin/$program" --help 2>/dev/null | grep -q -- --version ||
        fail "$program --help does not list --version"
done
# The manual page of pelmora-cli has a section for every command its --help lists.
for command in $("$usr/bin/pelmora-cli" --help | awk '/^Subcommands:/ { inside = 1; next }
    inside && /^$/ { exit } inside && /^  [^ ]/ { print $1 }'); do
    gzip -dc "$usr/share/man/man1/pelmora-cli.1.gz" | grep -q "^\.SS \"$(echo "$command" | sed 's/-/\\\\-/g')\"" ||
        fail "pelmora-cli(1) has no section for $command"
done
for page in pelmora pelmora-cli pelmora-sim; do
    warnings=$(gzip -dc "$usr/share/man/man1/$page.1.gz" | groff -man -Tutf8 -wmac -z 2>&1) ||
        fail "man cannot format $page(1)"
    [ -z "$warnings" ] || fail "$page(1): $warnings"
done

desktop-file-validate "$usr/share/applications/$id.desktop" | grep -v '^.*: hint: ' || true
desktop-file-validate "$usr/share/applications/$id.desktop" >/dev/null || fail "desktop-file-validate"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"

# The Debian package, from the same build directory.
rm -f "$build"/pelmora_*.deb
(cd "$build" && cpack -G DEB >"$dest/cpack.log" 2>&1) || { cat "$dest/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$build"/pelmora_"$version"_*.deb)
dpkg-deb -c "$deb" | grep '/usr/share/doc/pelmora/copyright$' >/dev/null || fail "no copyright in $deb"
dpkg-deb -f "$deb" Depends | grep -q libc6 || fail "no shared-library dependencies in $deb"
echo "lintian $(basename "$deb"):"
as_root=""
[ "$(id -u)" -ne 0 ] || as_root=--allow-root  # CI builds as root
lintian --fail-on error $as_root "$deb" ||
    fail "lintian reports an error"

[ "$failed" = 0 ] && echo "install check passed: $(basename "$deb")"
exit "$failed"
