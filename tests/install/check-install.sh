#!/bin/sh
# Installs the build into a scratch folder and checks that everything a
# desktop and a distribution need is in place.
#   check-install.sh <build folder>
set -eu
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cmake --install "$1" --prefix "$root/usr" >/dev/null
status=0
for f in bin/zdravinky share/applications/zdravinky.desktop share/zdravinky/pozadi.jpg \
         share/zdravinky/napoveda.html share/zdravinky/zdravinky-autostart.desktop \
         share/icons/hicolor/16x16/apps/zdravinky.png share/icons/hicolor/32x32/apps/zdravinky.png \
         share/icons/hicolor/48x48/apps/zdravinky.png share/icons/hicolor/scalable/apps/zdravinky.svg \
         share/man/man1/zdravinky.1.gz share/man/cs/man1/zdravinky.1.gz \
         share/metainfo/io.github.zdravinky.zdravinky.metainfo.xml \
         share/doc/zdravinky/copyright share/doc/zdravinky/changelog.Debian.gz; do
    if [ -e "$root/usr/$f" ]; then echo "ok: $f"; else echo "FAIL: missing $f"; status=1; fi
done
grep -q '^Name\[cs\]=Zdravinky' "$root/usr/share/applications/zdravinky.desktop" || { echo "FAIL: no Czech name"; status=1; }
grep -q '^Icon=zdravinky' "$root/usr/share/applications/zdravinky.desktop" || { echo "FAIL: no icon"; status=1; }
grep -q '^TryExec=zdravinky' "$root/usr/share/zdravinky/zdravinky-autostart.desktop" ||
    { echo "FAIL: an autostart copy would outlive the program"; status=1; }
grep -q 'verze [0-9]' "$root/usr/share/zdravinky/napoveda.html" || { echo "FAIL: help page without version"; status=1; }
exit $status
