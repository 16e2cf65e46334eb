#!/bin/sh
# Builds the .deb as a distribution would take it and has Debian's tools judge
# it: a release build of the program alone with prefix /usr in a folder of its
# own, packaged by cpack; built twice, the second time from a fresh copy of
# the sources (new file times) in another folder, later, under umask 002 and
# with SOURCE_DATE_EPOCH from the last commit, and both must be the same
# bytes; lintian (no error, no warning, no missing hardening), appstreamcli
# and desktop-file-validate on what the package holds; every file a desktop
# and a distribution need; the versions the changelog, the AppStream releases
# and the release notes name.
#   check-package.sh <source folder> <scratch build folder> [compiler launcher]
set -eu
src=$1
build=$2
launcher=${3:-}

# build_deb SOURCES FOLDER: configures, builds and packages as the README says.
build_deb() {
    cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF \
          ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"} >"$2.log" 2>&1 &&
        cmake --build "$2" -j"$(nproc)" >>"$2.log" 2>&1 &&
        rm -f "$2"/zdravinky_*.deb &&
        (cd "$2" && cpack -G DEB) >>"$2.log" 2>&1 || { cat "$2.log"; exit 1; }
}

build_deb "$src" "$build"
deb=$(ls "$build"/zdravinky_*.deb)
copy=$(mktemp -d)
root=$(mktemp -d)
trap 'rm -rf "$root" "$copy" "$build-again"' EXIT
(cd "$src" && git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf -) | tar -xmf - -C "$copy"
rm -rf "$build-again"
(umask 002 && SOURCE_DATE_EPOCH=$(git -C "$src" log -1 --format=%ct) && export SOURCE_DATE_EPOCH &&
    build_deb "$copy" "$build-again")
again=$(ls "$build-again"/zdravinky_*.deb)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
dpkg-deb -f "$deb" Version Depends Recommends

status=0
fail() { echo "FAIL: $*"; status=1; }

echo "== two builds"
if cmp "$deb" "$again"; then
    echo "ok: the same $(wc -c <"$deb") bytes"
else
    fail "two builds differ"
    dpkg-deb -c "$deb" >"$copy/a.list" && dpkg-deb -c "$again" >"$copy/b.list" && diff "$copy/a.list" "$copy/b.list" || true
    mkdir "$copy/a" "$copy/b" && dpkg-deb -R "$deb" "$copy/a" && dpkg-deb -R "$again" "$copy/b"
    diff -r "$copy/a" "$copy/b" || true
fi

echo "== lintian (the build under umask 002)"
tags=$(lintian --fail-on error,warning --display-info "$again" 2>&1) || lintian_failed=1
printf '%s\n' "$tags" | grep -v 'running with root privileges' || true
[ -z "${lintian_failed:-}" ] || fail "lintian reports errors or warnings"
! printf '%s\n' "$tags" | grep -q 'hardening-no-' || fail "not hardened as Debian builds"

echo "== appstreamcli"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "AppStream metadata"

echo "== desktop-file-validate"
for entry in usr/share/applications/io.github.zdravinky.zdravinky.desktop usr/share/zdravinky/zdravinky-autostart.desktop; do
    out=$(desktop-file-validate "$root/$entry" 2>&1) && [ -z "$out" ] && echo "ok: $entry" || fail "$entry: $out"
done

echo "== files"
for f in bin/zdravinky share/applications/io.github.zdravinky.zdravinky.desktop share/zdravinky/pozadi.jpg \
         share/zdravinky/napoveda.html share/zdravinky/zdravinky-autostart.desktop \
         share/icons/hicolor/16x16/apps/zdravinky.png share/icons/hicolor/32x32/apps/zdravinky.png \
         share/icons/hicolor/48x48/apps/zdravinky.png share/icons/hicolor/scalable/apps/zdravinky.svg \
         share/man/man1/zdravinky.1.gz share/man/cs/man1/zdravinky.1.gz \
         share/metainfo/io.github.zdravinky.zdravinky.metainfo.xml \
         share/doc/zdravinky/copyright share/doc/zdravinky/changelog.Debian.gz share/doc/zdravinky/NEWS.md; do
    [ -e "$root/usr/$f" ] || fail "missing $f"
done
grep -q '^Name\[cs\]=Zdravinky' "$root/usr/share/applications/io.github.zdravinky.zdravinky.desktop" || fail "no Czech name"
grep -q '^TryExec=zdravinky' "$root/usr/share/zdravinky/zdravinky-autostart.desktop" ||
    fail "an autostart copy would outlive the program"
grep -q 'verze [0-9]' "$root/usr/share/zdravinky/napoveda.html" || fail "help page without a version"
for url in bugtracker help; do
    grep -q "<url type=\"$url\">https://" "$root"/usr/share/metainfo/*.metainfo.xml || fail "AppStream names no $url address"
done

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
