# Sourced by the scripts that run the program on an X server of their own
# (the end-to-end tests, the screenshots, the benchmarks).

# new_display XVFB-ARGUMENTS...: starts Xvfb on a display no other server
# holds (the server picks it) and waits, for up to 30 s, until it takes
# clients; sets display and display_pid.
new_display() {
    number=$(mktemp)
    Xvfb -displayfd 3 "$@" -nolisten tcp -noreset 3>"$number" >/dev/null 2>&1 &
    display_pid=$!
    for _ in $(seq 300); do [ -s "$number" ] && break; sleep 0.1; done
    display=:$(cat "$number")
    rm -f "$number"
}

# desktop XVFB-ARGUMENTS...: a new display, as new_display, made this
# script's DISPLAY, with openbox managing its windows; sets xvfb_pid and
# wm_pid.
desktop() {
    new_display "$@"
    export DISPLAY="$display"
    xvfb_pid=$display_pid
    openbox >/dev/null 2>&1 &
    wm_pid=$!
    sleep 0.5
}
