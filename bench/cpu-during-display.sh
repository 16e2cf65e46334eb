#!/bin/bash
# CPU time the real program uses while it shows the greeting and waits out
# its display time (11 s by default), under Xvfb with a window manager.
#   cpu-during-display.sh <path to zdravinky> [seconds] [store lines]
set -eu
app=$1
seconds=${2:-11}
extra=${3:-}
. "$(dirname "$(realpath "$0")")/../scripts/xserver.sh"
desktop -screen 0 1024x768x24
trap 'kill $xvfb_pid $wm_pid 2>/dev/null' EXIT
config=$(mktemp -d)
printf '[Path]\nLong=%s\n%b' "$seconds" "$extra" >"$config/Zdravin.conf"
start=$(date +%s.%N)
XDG_CONFIG_HOME=$config /usr/bin/time -f '%U %S %M' -o "$config/time" "$app"
end=$(date +%s.%N)
read -r user sys peak <"$config/time"
awk -v u="$user" -v s="$sys" -v a="$start" -v b="$end" -v m="$peak" 'BEGIN {
    wall = b - a; cpu = u + s
    printf "wall %.2f s, cpu %.3f s (user %.3f, sys %.3f): %.2f %% of a core; peak RSS %.1f MiB\n", wall, cpu, u, s, 100 * cpu / wall, m / 1024 }'
rm -rf "$config"
