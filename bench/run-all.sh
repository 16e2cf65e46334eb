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

. "$here/../scripts/xserver.sh"
desktop -br -screen 0 1024x768x24 # black root: see firstframe
trap 'kill $wm_pid $xvfb_pid 2>/dev/null' EXIT
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

echo "== pictures: photos made now, a row per JPEG layout, against the same store without a picture"
photos=$config/photos
mkdir "$photos"
"$build/bench/makephoto" 6000 4000 "$photos/24mp.ppm"
"$build/bench/makephoto" 3000 2000 "$photos/6mp.ppm"
"$build/bench/makephoto" 8192 5464 "$photos/45mp.ppm"
jpeg() { cjpeg -quality 90 "${@:3}" -outfile "$photos/$1.jpg" "$photos/$2.ppm"; }
jpeg 24mp-444 24mp -sample 1x1
jpeg 24mp-422 24mp -sample 2x1
jpeg 24mp-420 24mp -sample 2x2
jpeg 24mp-restart 24mp -sample 2x2 -restart 1
jpeg 6mp-progressive 6mp -sample 2x2 -progressive
jpeg 45mp-420 45mp -sample 2x2
# A phone's portrait photo: stored on its side, with an EXIF orientation of 6
# (turn it a quarter clockwise), so that its top left corner is the stored
# picture's bottom left.
{
    head -c 2 "$photos/24mp-420.jpg"
    printf '\377\341\000\042Exif\000\000MM\000\052\000\000\000\010\000\001\001\022\000\003\000\000\000\001\000\006\000\000\000\000\000\000'
    tail -c +3 "$photos/24mp-420.jpg"
} >"$photos/24mp-turned.jpg"
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
# libjpeg alone (djpeg) decoding what is shown: the corner in sight, or the whole at 1/8 (ms, median).
djpeg_ms() {
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s%N)
        djpeg -outfile /dev/null "$@"
        end=$(date +%s%N)
        echo $(((end - start) / 1000))
    done | median | awk '{ print $1 / 1000 }'
}
store 3
bare=$(frame "$build/zdravinky")
bare_kib=$(peak_kib "$build/zdravinky")
store 60
read -r bare_open _ <<<"$(settings_kib)"
awk -v f="$bare" -v m="$bare_kib" -v o="$bare_open" 'BEGIN {
    printf "no picture: first frame %.1f ms, peak %.1f MiB; settings window open %.1f MiB\n", f, m / 1024, o / 1024 }'
echo "floor: libjpeg alone (djpeg) decoding the corner in sight (natural size) or the whole at 1/8 (stretched), ms"
printf '%-16s %5s | %6s | %-37s | %-34s | %s\n' layout MB "none" "natural size: ms, x none, x (none + floor)" \
    "stretched: ms, x (none + floor)" "peak MiB more: natural, stretched"
# First frames with no picture, the photo at its natural size and stretched,
# a run of each in turn, so that a busy machine weighs on all three alike.
frames() {
    for _ in $(seq "$runs"); do
        for stretch in none 0 1; do
            [ $stretch = none ] && store 3 || store 3 "Pictrure=$1\nPictrureStrench=$stretch\n"
            printf '%s ' "$("$build/bench/firstframe" 1 "$build/zdravinky")"
        done
        echo
    done >"$config/frames"
    for column in 1 2 3; do awk -v c=$column '{ print $c }' "$config/frames" | median; done | paste -sd ' '
}
for photo in 24mp-444 24mp-422 24mp-420 24mp-restart 24mp-turned 6mp-progressive 45mp-420; do
    file=$photos/$photo.jpg
    corner="312x215+0+0"
    [ "$photo" = 24mp-turned ] && corner="215x312+0+3688" # the stored picture's bottom left
    crop=$(djpeg_ms -crop "$corner" "$file")
    eighth=$(djpeg_ms -scale 1/8 "$file")
    read -r none natural stretched <<<"$(frames "$file")"
    store 3 "Pictrure=$file\nPictrureStrench=0\n"
    natural_kib=$(peak_kib "$build/zdravinky")
    store 3 "Pictrure=$file\nPictrureStrench=1\n"
    stretched_kib=$(peak_kib "$build/zdravinky")
    awk -v name="$photo" -v bytes="$(stat -c %s "$file")" -v b="$none" -v bm="$bare_kib" -v c="$crop" -v e="$eighth" \
        -v n="$natural" -v nm="$natural_kib" -v s="$stretched" -v sm="$stretched_kib" 'BEGIN {
        printf "%-16s %5.1f | %6.1f | %6.1f %5.2f (<= 1.15) %5.2f (%5.1f) | %6.1f %5.2f (<= 1.15) (%5.1f) | %5.1f %5.1f (<= 32)\n",
            name, bytes / 1e6, b, n, n / b, n / (b + c), c, s, s / (b + e), e, (nm - bm) / 1024, (sm - bm) / 1024 }'
done
for photo in 24mp-420 45mp-420; do
    store 60 "Pictrure=$photos/$photo.jpg\nPictrureStrench=1\n"
    read -r open ok <<<"$(settings_kib)"
    awk -v name="$photo" -v bm="$bare_kib" -v o="$open" -v k="$ok" 'BEGIN {
        printf "%s stretched, settings window open: peak %.1f MiB more; after its OK %.1f MiB more\n",
            name, (o - bm) / 1024, (k - bm) / 1024 }'
done

echo "== a picture made to cost: Escape pressed as the greeting appears, until the program has ended (median)"
# A flat 5792 x 5792 PNG, interlaced: a small file that takes its reader long.
convert -size 5792x5792 xc:gray -interlace PNG "png24:$photos/interlaced.png"
escape_ms() {
    for _ in $(seq "$runs"); do
        "$build/zdravinky" &
        local pid=$! start end
        timeout 10 xdotool search --sync --onlyvisible --classname zdravinky >/dev/null
        start=$(date +%s%N)
        xdotool key Escape
        wait $pid 2>/dev/null || true
        end=$(date +%s%N)
        echo $(((end - start) / 1000))
    done | median | awk '{ print $1 / 1000 }'
}
for picture in none interlaced.png; do
    [ "$picture" = none ] && store 60 || store 60 "Pictrure=$photos/$picture\nPictrureStrench=1\n"
    printf '%-16s Escape answered after %.1f ms (<= 500)\n' "$picture" "$(escape_ms)"
done

echo "== CPU during an 11-second display (time shown)"
kill $wm_pid $xvfb_pid 2>/dev/null; wait $wm_pid $xvfb_pid 2>/dev/null || true; trap - EXIT
"$here/cpu-during-display.sh" "$build/zdravinky" 11 'Cas=1\nDate=1\nSvatky=1\n'
rm -rf "$config"
