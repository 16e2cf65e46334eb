#!/bin/bash
# End-to-end tests of the real program: started under Xvfb with a small
# window manager, driven with xdotool as a person would, each run with a
# settings folder of its own.
#   e2e.sh <path to zdravinky> <folder for screenshots>
set -u
app=$1
shots=${2:-.}
failures=0
passes=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; passes=$((passes + 1)); }

# start_x [dpi [size]]: an X server of 1024 x 768 pixels (or size) at that DPI (96 if none).
start_x() {
    local dpi=${1:-96}
    export DISPLAY=:$((90 + RANDOM % 400))
    Xvfb "$DISPLAY" -screen 0 "${2:-1024x768}x24" -dpi "$dpi" -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    printf 'Xft.dpi:\t%s\n' "$dpi" | xrdb -nocpp -merge
    openbox >/dev/null 2>&1 &
    wm_pid=$!
    sleep 0.5
}

stop_x() {
    kill "$wm_pid" "$xvfb_pid" 2>/dev/null
    wait "$wm_pid" "$xvfb_pid" 2>/dev/null
}

# Starts the program with the given store file text; sets pid and config.
launch() {
    config=$(mktemp -d)
    printf '%b' "$1" >"$config/Zdravin.conf"
    XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=xcb "$app" &
    pid=$!
}

# The greeting window's X id, waiting for it to be mapped.
greeting_window() {
    timeout 10 xdotool search --sync --onlyvisible --classname zdravinky 2>/dev/null | head -n 1
}

# Waits up to $1 seconds for the program to end; sets status to its exit
# status, or to "running".
wait_exit() {
    status=running
    for _ in $(seq 0 $(($1 * 10))); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            status=$?
            return
        fi
        sleep 0.1
    done
}

finish() { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; rm -rf "$config"; }

start_x

# 1. Starts centred, borderless, at the designed size, shows its text, ends by itself.
launch '[Path]\nLong=3\nCas=1\nSvatky=1\n'
win=$(greeting_window)
if [ -z "$win" ]; then
    fail "greeting window did not appear"
else
    eval "$(xdotool getwindowgeometry --shell "$win")"
    [ "$WIDTH" = 312 ] && [ "$HEIGHT" = 215 ] && pass "designed size 312x215" || fail "size ${WIDTH}x${HEIGHT}"
    [ "$X" = $(((1024 - 312) / 2)) ] && [ "$Y" = $(((768 - 215) / 2)) ] && pass "centred" || fail "placed at $X,$Y"
    frame=$(xprop -id "$win" _MOTIF_WM_HINTS 2>/dev/null)
    case "$frame" in *"= 0x2, 0x"?", 0x0,"*) pass "borderless" ;; *) fail "has a border: $frame" ;; esac
    sleep 0.5
    import -window root "$shots/greeting.png" 2>/dev/null
    colours=$(convert "$shots/greeting.png" -crop 312x215+356+276 -unique-colors -format '%k' info: 2>/dev/null)
    [ "${colours:-0}" -gt 20 ] && pass "greeting text drawn ($colours colours)" || fail "window looks empty ($colours colours)"
fi
wait_exit 8
[ "$status" = 0 ] && pass "ended by itself with status 0" || fail "did not end by itself: $status"
finish

# 2. Escape ends it at once.
launch '[Path]\nLong=60\n'
win=$(greeting_window)
xdotool windowactivate --sync "$win" 2>/dev/null
xdotool key Escape
wait_exit 3
[ "$status" = 0 ] && pass "Escape ends at once" || fail "Escape: $status"
finish

# 3. The right-click menu opens the settings window; a change made with the
#    keyboard and confirmed with Enter reaches the store file and the greeting.
launch '[Path]\nLong=60\n'
win=$(greeting_window)
sleep 0.5
import -window "$win" "$config/before.png" 2>/dev/null
xdotool mousemove --window "$win" 150 40 click 3
sleep 0.5
xdotool key n
settings=$(timeout 10 xdotool search --sync --onlyvisible --name "Nastavení programu Zdravinky" 2>/dev/null | head -n 1)
if [ -z "$settings" ]; then
    fail "the menu did not open the settings window"
else
    pass "the menu opens the settings window"
    sleep 0.5
    import -window root "$shots/settings.png" 2>/dev/null
    xdotool key Tab Tab Tab Tab Tab Tab space # to "Zobrazit Datum", check it
    sleep 0.2
    xdotool key Return # in the date format box: confirms as OK
    sleep 0.5
    grep -qx 'Date=1' "$config/Zdravin.conf" && pass "Enter stored the change" ||
        fail "store after Enter: $(tr '\n' ' ' <"$config/Zdravin.conf")"
    xdotool search --onlyvisible --name "Nastavení programu Zdravinky" >/dev/null 2>&1 &&
        fail "settings window still open" || pass "Enter closed the settings window"
    import -window "$win" "$config/after.png" 2>/dev/null
    changed=$(compare -metric AE "$config/before.png" "$config/after.png" null: 2>&1)
    [ "${changed%% *}" -gt 0 ] 2>/dev/null && pass "the greeting shows the change ($changed pixels)" ||
        fail "the greeting did not change ($changed)"
fi
finish

# 4. Stores that make no sense start without a crash.
for junk in '[Path]\nPictrureStrench=x\nPictrure=/dev/null\nText=\nSize=-5\nColor=-1\nLong=abc\nDate=ano\nCas=1e999\nTextV=\\"\nSvatky=[\nDateF=\nCasF=ddddddddd\nText1=\\x00\nText2="\n' \
            '' '\x00\x01\xff\xfe[Path\n=\n\n\xc3\x28' '[Path]\nLong=1\nSize=0.0000001\nColor=16777216\n'; do
    launch "$junk"
    win=$(greeting_window)
    sleep 1.5
    wait_exit 0
    case "$status" in running | 0) pass "garbage store survives ($(printf '%q' "${junk:0:20}"))" ;;
        *) fail "garbage store crashed with $status" ;; esac
    finish
done

stop_x

# 5. HiDPI: at 192 DPI the window keeps its size in twips, twice the pixels.
start_x 192
launch '[Path]\nLong=2\n'
win=$(greeting_window)
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$WIDTH" = 624 ] && [ "$HEIGHT" = 430 ] && pass "624x430 pixels at 192 DPI" || fail "at 192 DPI: ${WIDTH}x${HEIGHT}"
wait_exit 6
finish
stop_x

# 6. Two monitors side by side, the primary on the right: the greeting opens
#    centred on the primary one, as a window that appears by itself at login should.
start_x 96 2048x768
xrandr --setmonitor left 1024/271x768/203+0+0 none
xrandr --setmonitor '*right' 1024/271x768/203+1024+0 screen >/dev/null
launch '[Path]\nLong=2\n'
win=$(greeting_window)
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$X" = $((1024 + (1024 - 312) / 2)) ] && [ "$Y" = $(((768 - 215) / 2)) ] && pass "centred on the primary monitor" ||
    fail "on two monitors placed at $X,$Y"
wait_exit 6
finish
stop_x

echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
