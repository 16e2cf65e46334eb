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

echo "== pictures: camera-sized photos made now, against the same store without a picture"
photos=$config/photos
mkdir "$photos"
"$build/bench/makephoto" 6000 4000 "$photos/24mp.jpg"
"$build/bench/makephoto" 8192 5464 "$photos/45mp.jpg"
store() { printf '[Path]\nLong=%s\nCas=1\nDate=1\nSvatky=1\n%b' "$1" "${2:-}" >"$config/Zdravin.conf"; }
vmhwm() { awk '/^VmHWM/ { print $2 }' "/proc/$1/status"; }
# Peak resident memory (KiB) with the settings window open, then after its OK
# (Enter in a check box): opened from the menu as a person would.
settings_kib() {
    "$build/zdravinky" &
    local pid=$! win
    win=$(timeout 10 xdotool search --sync --onlyvisible --classname zdravinky | head -n 1)
    sleep 0.3
    xdotool mousemove --window "$win" 150 40 click 3
    sleep 0.3
    xdotool key n
    timeout 10 xdotool search --sync --onlyvisible --name "Nastavení programu Zdravinky" >/dev/null
    sleep 0.5
    local open
    open=$(vmhwm $pid)
    xdotool key Tab Tab Tab Tab Tab Tab Return
    sleep 0.5
    echo "$open $(vmhwm $pid)"
    kill $pid
    wait $pid 2>/dev/null || true
}
djpeg_ms() {
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s%N)
        djpeg -scale 1/8 -outfile /dev/null "$1"
        end=$(date +%s%N)
        echo $(((end - start) / 1000))
    done | median | awk '{ print $1 / 1000 }'
}
store 3
bare=$(frame "$build/zdravinky")
bare_kib=$(peak_kib "$build/zdravinky")
store 60
read -r bare_open bare_ok <<<"$(settings_kib)"
awk -v f="$bare" -v m="$bare_kib" -v o="$bare_open" 'BEGIN {
    printf "no picture: first frame %.1f ms, peak %.1f MiB; settings window open %.1f MiB\n", f, m / 1024, o / 1024 }'
for photo in 24mp 45mp; do
    file=$photos/$photo.jpg
    floor=$(djpeg_ms "$file")
    store 3 "Pictrure=$file\nPictrureStrench=0\n"
    natural=$(frame "$build/zdravinky")
    natural_kib=$(peak_kib "$build/zdravinky")
    store 3 "Pictrure=$file\nPictrureStrench=1\n"
    stretched=$(frame "$build/zdravinky")
    stretched_kib=$(peak_kib "$build/zdravinky")
    store 60 "Pictrure=$file\nPictrureStrench=1\n"
    read -r open ok <<<"$(settings_kib)"
    awk -v name="$photo" -v bytes="$(stat -c %s "$file")" -v b="$bare" -v bm="$bare_kib" -v d="$floor" \
        -v n="$natural" -v nm="$natural_kib" -v s="$stretched" -v sm="$stretched_kib" -v o="$open" -v k="$ok" 'BEGIN {
        printf "%s photo (%.1f MB), libjpeg alone at 1/8 (djpeg) %.1f ms\n", name, bytes / 1e6, d
        printf "  natural size: first frame %.1f ms, %.2f times no picture (at most 1.25); peak %.1f MiB more (at most 10)\n",
            n, n / b, (nm - bm) / 1024
        printf "  stretched: first frame %.1f ms, %.2f times no picture + djpeg = %.1f ms (at most 1.20); peak %.1f MiB more (at most 10)\n",
            s, s / (b + d), b + d, (sm - bm) / 1024
        printf "  settings window open: peak %.1f MiB more (at most 16); after its OK %.1f MiB more\n",
            (o - bm) / 1024, (k - bm) / 1024 }'
done

echo "== CPU during an 11-second display (time shown)"
kill $wm $xvfb 2>/dev/null; wait $wm $xvfb 2>/dev/null || true; trap - EXIT
"$here/cpu-during-display.sh" "$build/zdravinky" 11 'Cas=1\nDate=1\nSvatky=1\n'
rm -rf "$config"
