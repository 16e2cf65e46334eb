#!/bin/bash
# Every speed and memory figure of the program, measured in one run, with the
# ratios against a minimal borderless Qt window built beside it.
#   bench/run-all.sh [build folder]      (default: build)
set -eu
build=$(realpath "${1:-build}")
here=$(dirname "$(realpath "$0")")
runs=${RUNS:-9}
config=$(mktemp -d)
export XDG_RUNTIME_DIR=$config/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

echo "== store"
"$build/bench/bench_store"
echo "== greeting text"
"$build/bench/bench_greeting"
echo "== greeting window text timer"
"$build/bench/bench_window"

export DISPLAY=:$((500 + RANDOM % 400))
Xvfb "$DISPLAY" -br -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & # black root: see firstframe
xvfb=$!
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
wm=$!
trap 'kill $wm $xvfb 2>/dev/null' EXIT
sleep 0.5
printf '[Path]\nLong=3\nCas=1\nDate=1\nSvatky=1\n' >"$config/Zdravin.conf"
export XDG_CONFIG_HOME=$config

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

peak_kib() {
    /usr/bin/time -f '%M' -o "$config/rss" "$1" >/dev/null 2>&1 || true
    cat "$config/rss"
}

echo "== start to first frame on the screen (median of $runs)"
frame() { "$build/bench/firstframe" "$runs" "$@" | median; }
ours=$(frame "$build/zdravinky")
base=$(frame "$build/bench/minimalwindow")
text=$(frame "$build/bench/minimalwindow" --text)
awk -v a="$ours" -v b="$base" -v t="$text" 'BEGIN {
    printf "zdravinky %.1f ms, minimal window %.1f ms: %.2f times\n", a, b, a / b
    printf "minimal window with one line of text %.1f ms: %.2f times the minimal window; zdravinky %.2f times this\n", t, t / b, a / t }'

echo "== peak resident memory"
ours=$(peak_kib "$build/zdravinky")
base=$(peak_kib "$build/bench/minimalwindow")
awk -v a="$ours" -v b="$base" 'BEGIN { printf "zdravinky %.1f MiB, minimal window %.1f MiB: %.1f MiB more\n", a / 1024, b / 1024, (a - b) / 1024 }'

echo "== CPU during an 11-second display (time shown)"
kill $wm $xvfb 2>/dev/null; wait $wm $xvfb 2>/dev/null || true; trap - EXIT
"$here/cpu-during-display.sh" "$build/zdravinky" 11 'Cas=1\nDate=1\nSvatky=1\n'
rm -rf "$config"
