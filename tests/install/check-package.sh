#!/bin/sh
# Builds the .deb as a distribution would take it and has Debian's tools judge
# it: a release build of the program alone with prefix /usr in a folder of its
# own, packaged by cpack; lintian (no error, no warning), appstreamcli and
# desktop-file-validate on what the package holds; every file a desktop and
# a distribution need; the versions the changelog, the AppStream releases and
# the release notes name.
#   check-package.sh <source folder> <scratch build folder> [compiler launcher]
set -eu
src=$1
build=$2
launcher=${3:-}
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF \
      ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"} >"$build.log" 2>&1 &&
    cmake --build "$build" -j"$(nproc)" >>"$build.log" 2>&1 &&
    rm -f "$build"/zdravinky_*.deb &&
    (cd "$build" && cpack -G DEB) >>"$build.log" 2>&1 || { cat "$build.log"; exit 1; }
deb=$(ls "$build"/zdravinky_*.deb)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
dpkg-deb -f "$deb" Version Depends Recommends

status=0
fail() { echo "FAIL: $*"; status=1; }

echo "== lintian"
tags=$(lintian --fail-on error,warning --display-info "$deb" 2>&1) || lintian_failed=1
printf '%s\n' "$tags" | grep -v 'running with root privileges' || true
[ -z "${lintian_failed:-}" ] || fail "lintian reports errors or warnings"

echo "== appstreamcli"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "AppStream metadata"

echo "== desktop-file-validate"
for entry in usr/share/applications/zdravinky.desktop usr/share/zdravinky/zdravinky-autostart.desktop; do
    out=$(desktop-file-validate "$root/$entry" 2>&1) && [ -z "$out" ] && echo "ok: $entry" || fail "$entry: $out"
done

echo "== files"
for f in bin/zdravinky share/applications/zdravinky.desktop share/zdravinky/pozadi.jpg \
         share/zdravinky/napoveda.html share/zdravinky/zdravinky-autostart.desktop \
         share/icons/hicolor/16x16/apps/zdravinky.png share/icons/hicolor/32x32/apps/zdravinky.png \
         share/icons/hicolor/48x48/apps/zdravinky.png share/icons/hicolor/scalable/apps/zdravinky.svg \
         share/man/man1/zdravinky.1.gz share/man/cs/man1/zdravinky.1.gz \
         share/metainfo/io.github.zdravinky.zdravinky.metainfo.xml \
         share/doc/zdravinky/copyright share/doc/zdravinky/changelog.Debian.gz; do
    [ -e "$root/usr/$f" ] || fail "missing $f"
done
grep -q '^Name\[cs\]=Zdravinky' "$root/usr/share/applications/zdravinky.desktop" || fail "no Czech name"
grep -q '^TryExec=zdravinky' "$root/usr/share/zdravinky/zdravinky-autostart.desktop" ||
    fail "an autostart copy would outlive the program"
grep -q 'verze [0-9]' "$root/usr/share/zdravinky/napoveda.html" || fail "help page without a version"

echo "== versions"
version=$(dpkg-deb -f "$deb" Version)
upstream=${version%-*}
[ "$(dpkg-parsechangelog -l "$src/packaging/changelog.Debian" -S Version)" = "$version" ] ||
    fail "packaging/changelog.Debian does not begin with $version"
grep -m1 -o '<release version="[^"]*"' "$root"/usr/share/metainfo/*.metainfo.xml | grep -q "\"$upstream\"" ||
    fail "the AppStream metadata's newest release is not $upstream"
grep -m1 '^## ' "$src/NEWS.md" | grep -qF "$upstream" || fail "NEWS.md does not begin with $upstream"
[ $status = 0 ] && echo "ok: $version"
exit $status
