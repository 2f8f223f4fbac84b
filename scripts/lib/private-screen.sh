# Sourced by scripts that need an X screen of their own.
#
# start_private_screen WORKDIR: starts Xvfb on a free display number (-displayfd reports it
# once the server accepts connections; -noreset keeps it from starting over when its last
# client leaves), sets xvfb_pid and exports DISPLAY. Returns 1, with the server's log on
# standard error, when it does not come up.
start_private_screen() {
    local work=$1 display_fd
    exec {display_fd}>"$work/display"
    Xvfb -displayfd "$display_fd" -screen 0 800x600x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    exec {display_fd}>&-
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.05
    done
    if [ ! -s "$work/display" ]; then
        cat "$work/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=:$(head -n 1 "$work/display")
}
