#!/bin/sh
# Installs the build into a scratch folder and checks that everything a
# desktop needs is in place.
#   check-install.sh <build folder>
set -eu
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cmake --install "$1" --prefix "$root/usr" >/dev/null
status=0
for f in bin/zdravinky share/applications/zdravinky.desktop share/zdravinky/pozadi.jpg \
         share/zdravinky/napoveda.html share/zdravinky/zdravinky-autostart.desktop \
         share/icons/hicolor/16x16/apps/zdravinky.png share/icons/hicolor/32x32/apps/zdravinky.png \
         share/icons/hicolor/48x48/apps/zdravinky.png share/icons/hicolor/scalable/apps/zdravinky.svg; do
    if [ -e "$root/usr/$f" ]; then echo "ok: $f"; else echo "FAIL: missing $f"; status=1; fi
done
grep -q '^Name\[cs\]=Zdravinky' "$root/usr/share/applications/zdravinky.desktop" || { echo "FAIL: no Czech name"; status=1; }
grep -q '^Icon=zdravinky' "$root/usr/share/applications/zdravinky.desktop" || { echo "FAIL: no icon"; status=1; }
exit $status
