#!/bin/bash
# End-to-end tests of the real program: started under Xvfb with a small
# window manager, driven with xdotool as a person would, each run with a
# settings folder of its own.
#   e2e.sh <path to zdravinky> <folder for screenshots>
set -u
app=$1 shots=${2:-.}
failures=0 passes=0
settings_title="Nastavení programu Zdravinky"
here=$(dirname "$0")
. "$here/../../scripts/xserver.sh"
export QT_QPA_PLATFORM=xcb # the real display, whatever the unit tests' environment says
# The session's runtime folder, where a greeting waits for a second start.
XDG_RUNTIME_DIR=$(mktemp -d) && chmod 700 "$XDG_RUNTIME_DIR" && export XDG_RUNTIME_DIR

# check WHAT COMMAND...: the check passes when the command succeeds.
check() {
    if "${@:2}"; then echo "ok: $1"; passes=$((passes + 1)); else echo "FAIL: $1"; failures=$((failures + 1)); fi
}

# x_server [DPI [SIZE]]: ends the X server running, if any, and starts a new
# one (SIZE 1024x768 unless given) with openbox; without DPI, just ends it.
x_server() {
    [ -n "${xvfb_pid:-}" ] && kill "$wm_pid" "$xvfb_pid" 2>/dev/null && wait "$wm_pid" "$xvfb_pid" 2>/dev/null
    [ $# -gt 0 ] || return 0
    desktop -screen 0 "${2:-1024x768}x24" -dpi "$1"
    printf 'Xft.dpi:\t%s\n' "$1" | xrdb -nocpp -merge
}

# visible SEARCH...: prints the first visible window xdotool finds, waiting up
# to 10 s. Searches are repeated: one fails when a window such as a closing
# menu vanishes while it looks.
visible() {
    for _ in $(seq 100); do xdotool search --onlyvisible "$@" 2>/dev/null | grep -m1 . && return; sleep 0.1; done; false
}

# within SECONDS COMMAND...: whether the command succeeds within that time,
# tried every 0.1 s; for what a slow machine may take a moment over.
within() {
    for _ in $(seq $(($1 * 10))); do "${@:2}" && return; sleep 0.1; done; false
}
settings_closed() { [ -z "$(xdotool search --onlyvisible --name "$settings_title" 2>/dev/null)" ]; }
in_front() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$win" ]; }

# launch STORE: starts the program on a store file with that text and waits
# for its window; sets pid, config, win and the window's X, Y, WIDTH, HEIGHT.
# What the program prints goes to $config/stderr.
launch() {
    config=$(mktemp -d)
    printf '%b' "$1" >"$config/Zdravin.conf"
    XDG_CONFIG_HOME=$config "$app" 2>"$config/stderr" &
    pid=$!
    win=$(visible --classname zdravinky)
    X=none Y=none WIDTH=none HEIGHT=none
    eval "$(xdotool getwindowgeometry --shell "${win:-0}" 2>/dev/null)"
}

# ended SECONDS: waits that long at most for the program to end; sets status
# to its exit status, or to "running".
ended() {
    for _ in $(seq 0 $(($1 * 10))); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then status=running; else wait "$pid"; status=$?; fi
}

finish() { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; rm -rf "$config"; }

# listen SECONDS: a screen reader listens to the program that long, then writes
# what it heard and the program's accessible tree to $reader (screenreader.py).
listen() {
    /usr/bin/python3 "$here/screenreader.py" "$1" >"$reader" 2>&1 &
    reader_pid=$!
    for _ in $(seq 100); do grep -q listening "$reader" && break; sleep 0.1; done
}

x_server 96

# 1. Starts centred, borderless, at the designed size, shows its text, ends by itself after Long seconds.
launch '[Path]\nLong=3\nCas=1\nSvatky=1\n'
check "designed size 312x215 (${WIDTH}x$HEIGHT)" [ "${WIDTH}x$HEIGHT" = 312x215 ]
check "centred ($X,$Y)" [ "$X,$Y" = "$(((1024 - 312) / 2)),$(((768 - 215) / 2))" ]
frame=$(xprop -id "${win:-0}" _MOTIF_WM_HINTS 2>/dev/null)
check "borderless ($frame)" grep -q '= 0x2, 0x., 0x0,' <<<"$frame"
sleep 0.5
import -window root "$shots/greeting.png" 2>/dev/null
colours=$(convert "$shots/greeting.png" -crop 312x215+356+276 -unique-colors -format '%k' info: 2>/dev/null)
check "greeting text drawn (${colours:-no} colours)" [ "${colours:-0}" -gt 20 ]
check "still open before Long seconds" kill -0 "$pid"
ended 8
check "ended by itself with status 0 ($status)" [ "$status" = 0 ]
finish

# 2. Escape ends it at once.
launch '[Path]\nLong=60\n'
xdotool windowactivate --sync "${win:-0}" key Escape 2>/dev/null
ended 3
check "Escape ends at once ($status)" [ "$status" = 0 ]
finish

# 3. The right-click menu opens the settings window; a change made with the
#    keyboard and confirmed with Enter reaches the store file and the greeting.
launch '[Path]\nLong=60\n'
sleep 0.5
import -window "$win" "$config/before.png" 2>/dev/null
xdotool mousemove --window "${win:-0}" 150 40 click 3 sleep 0.5 key n 2>/dev/null
settings=$(visible --name "$settings_title")
check "the menu opens the settings window" [ -n "$settings" ]
sleep 0.5
import -window root "$shots/settings.png" 2>/dev/null
# To "Zobrazit Datum", check it; Enter in the date format box confirms as OK.
xdotool key Tab Tab Tab Tab Tab Tab space sleep 0.2 key Return 2>/dev/null
within 5 grep -qx 'Date=1' "$config/Zdravin.conf"
check "Enter stored the change ($(tr '\n' ' ' <"$config/Zdravin.conf"))" grep -qx 'Date=1' "$config/Zdravin.conf"
check "Enter closed the settings window" within 5 settings_closed
import -window "$win" "$config/after.png" 2>/dev/null
changed=$(compare -metric AE "$config/before.png" "$config/after.png" null: 2>&1)
check "the greeting shows the change ($changed pixels)" [ "${changed%% *}" -gt 0 ] 2>/dev/null
finish

# 4. Stores that make no sense start without a crash.
for junk in '[Path]\nPictrureStrench=x\nPictrure=/dev/null\nText=\nSize=-5\nColor=-1\nLong=abc\nDate=ano\nCas=1e999\nTextV=\\"\nSvatky=[\nDateF=\nCasF=ddddddddd\nText1=\\x00\nText2="\n' \
            '' '\x00\x01\xff\xfe[Path\n=\n\n\xc3\x28' '[Path]\nLong=1\nSize=0.0000001\nColor=16777216\n'; do
    launch "$junk"
    sleep 1.5
    ended 0
    check "garbage store survives ($(printf '%q' "${junk:0:20}"): $status)" grep -qxE 'running|0' <<<"$status"
    finish
done

# 5. HiDPI: at 192 DPI the window keeps its size in twips, twice the pixels.
x_server 192
launch '[Path]\nLong=2\n'
check "624x430 pixels at 192 DPI (${WIDTH}x$HEIGHT)" [ "${WIDTH}x$HEIGHT" = 624x430 ]
finish

# 6. Two monitors side by side, the primary on the right: the greeting opens
#    centred on the primary one, as a window that appears by itself at login should.
x_server 96 2048x768
xrandr --setmonitor left 1024/271x768/203+0+0 none
xrandr --setmonitor '*right' 1024/271x768/203+1024+0 screen >/dev/null
launch '[Path]\nLong=2\n'
check "centred on the primary monitor ($X,$Y)" [ "$X,$Y" = "$((1024 + (1024 - 312) / 2)),$(((768 - 215) / 2))" ]
finish

# 7. A screen reader (the AT-SPI client in screenreader.py) hears the greeting
#    once, as a notification, though its time changes every second; the Menu
#    key opens the menu at the window's centre; in the settings window the two
#    format boxes have names of their own and the colour sample says its colour.
x_server 96
{ read -r DBUS_SESSION_BUS_ADDRESS; read -r dbus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus_pid=$!
reader=$(mktemp)
listen 3
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 launch '[Path]\nLong=60\nCas=1\nSvatky=1\n'
wait "$reader_pid"
check "the greeting is a notification" grep -qx 'notification "Zdravinky"' "$reader"
check "that holds the greeting and the time" \
    grep -qE '^  label "Zdravinky,.*přeji dobrý den\..*[0-9]\.[0-9]{2}\.[0-9]{2}' "$reader"
announced=$(grep -cE '^event (window:activate|object:state-changed:showing) notification' "$reader")
changed=$(grep -c '^event object:property-change:accessible-name label' "$reader")
check "read once ($announced times) while the time changed $changed times" [ "$announced" = 1 -a "$changed" -ge 2 ]
xdotool windowactivate --sync "${win:-0}" key Menu 2>/dev/null
for _ in $(seq 50); do
    menu=$(xdotool search --onlyvisible --classname zdravinky 2>/dev/null | grep -vxm1 "$win") && break
    sleep 0.1
done
X=none Y=none
eval "$(xdotool getwindowgeometry --shell "${menu:-0}" 2>/dev/null)"
check "the Menu key opens the menu at the centre ($X,$Y)" [ "$X,$Y" = "$((356 + 311 / 2)),$((276 + 214 / 2))" ]
listen 2
xdotool key n 2>/dev/null
wait "$reader_pid"
boxes=$(grep -cE 'combo box "(Formát data" labelled-by "Formát data|Formát času" labelled-by "Formát času)"' "$reader")
check "the two format boxes told apart ($boxes)" [ "$boxes" = 2 ]
check "the colour sample says its colour" grep -q 'image "Barva písma".* text "červená 255, zelená 0, modrá 0"' "$reader"
check "no complaint from Qt's screen-reader bridge" [ ! -s "$config/stderr" ]
finish
kill "$bus_pid" "$dbus_pid" 2>/dev/null
unset DBUS_SESSION_BUS_ADDRESS
rm -f "$reader"

# 8. One greeting per session: a second start brings the open greeting to the
#    front and ends; on another display a second greeting opens. A FIFO left
#    at the session's lock path makes no start wait.
mkfifo "$XDG_RUNTIME_DIR/zdravinky-xcb-_${DISPLAY#:}.lock"
launch '[Path]\nLong=60\n'
first=$pid
check "a FIFO at the session's lock makes no start wait" [ -n "$win" ]
xmessage -center covering 2>/dev/null &
cover=$!
visible --name '^xmessage$' >/dev/null
XDG_CONFIG_HOME=$config "$app" 2>/dev/null &
pid=$!
ended 5
check "a second start ends ($status)" [ "$status" = 0 ]
check "and brings the greeting to the front" within 3 in_front
kill "$cover"
new_display -screen 0 640x480x24
DISPLAY=$display XDG_CONFIG_HOME=$config "$app" 2>"$config/other-stderr" &
pid=$!
check "on another display ($display) a greeting of its own" \
    env DISPLAY="$display" bash -c "$(declare -f visible); visible --classname zdravinky >/dev/null"
kill -0 "$pid" 2>/dev/null || { ended 0; echo "  it ended with status $status: $(cat "$config/other-stderr")"; }
kill "$pid" "$display_pid" 2>/dev/null
pid=$first
finish

# 9. A session manager (xsm, with its proxy as a client that stays) never
#    saves the greeting for a restored session.
sm=$(mktemp -d)
printf '[Path]\nLong=60\n' >"$sm/Zdravin.conf"
printf 'smproxy\n%s\n' "$app" >"$sm/.xsmstartup"
HOME=$sm SM_SAVE_DIR=$sm XDG_CONFIG_HOME=$sm xsm >/dev/null 2>&1 &
xsm_pid=$!
xsm_win=$(visible --name '^xsm: ')
visible --classname zdravinky >/dev/null
sleep 1
# Its Checkpoint button, then the session's name and the dialog's Checkpoint button.
xdotool windowactivate --sync "${xsm_win:-0}" mousemove --window "${xsm_win:-0}" 40 48 click 1 2>/dev/null
dialog=$(visible --name '^Checkpoint$')
xdotool mousemove --window "${dialog:-0}" 150 20 type s1 2>/dev/null
xdotool mousemove --window "${dialog:-0}" 30 134 click 1 2>/dev/null
for _ in $(seq 50); do [ -s "$sm/.XSM-s1" ] && break; sleep 0.1; done
check "the session saved its clients ($(grep -A2 '^Program' "$sm/.XSM-s1" 2>/dev/null | grep -c smproxy))" grep -q smproxy "$sm/.XSM-s1"
check "but not the greeting" [ "$(grep -c zdravinky "$sm/.XSM-s1" 2>/dev/null)" = 0 ]
kill "$xsm_pid"
x_server
rm -rf "$sm"

# 10. Without a display: one line and status 1; --version and --help still answer.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$app" 2>&1)
check "no display: status 1, one line ($out)" [ $? = 1 -a "$(wc -l <<<"$out")" = 1 ]
check "--version without a display" grep -qx 'zdravinky [0-9.]*' <(env -u DISPLAY "$app" --version)
help=$(env -u DISPLAY "$app" --help)
check "--help without a display" [ $? = 0 -a -n "$help" ]
rm -rf "$XDG_RUNTIME_DIR"

echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
