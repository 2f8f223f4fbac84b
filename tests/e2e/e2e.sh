#!/usr/bin/env bash
# End-to-end: the real Pelorin on a private virtual X screen, against tvsim running as its own
# process on loopback, used the way a person uses it: keys and clicks through xdotool. What the
# window shows is read back from the screen (x11probe: the mapped windows and the lamp's
# colour), from setting.ini beside the portable copy and from what tvsim logged.
#
# usage: e2e.sh PELORIN TVSIM X11PROBE        (exit 77: skipped, a tool is missing)
#
# Each scenario runs in a subshell with its own copy of Pelorin, its own simulator and its own
# clean-up; the virtual screen is shared. Waits poll with a time-out; PELORIN_TIME_SCALE makes
# Pelorin's own waits (commands, lamp, monitor) ten times shorter.
set -uo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 PELORIN TVSIM X11PROBE" >&2
    exit 2
fi
pelorin=$1 tvsim=$2 probe=$3
for tool in Xvfb xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/pelorin-e2e.XXXXXX")
failures=$PWD/e2e-failures
rm -rf "$failures"
export PELORIN_TIME_SCALE=0.1
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset SESSION_MANAGER

# ---- The virtual screen --------------------------------------------------------------------

xvfb_pid=
end_screen() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap end_screen EXIT

# Xvfb picks a free display number itself and writes it to the descriptor once it accepts
# connections: no guessing, no race with another server. Without -noreset it would start over
# whenever its last client left, refusing whoever connected at that moment.
exec {display_fd}>"$work/display"
Xvfb -displayfd "$display_fd" -screen 0 800x600x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec {display_fd}>&-
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
done
if ! [ -s "$work/display" ]; then
    echo "FAIL: Xvfb did not start"
    cat "$work/xvfb.log"
    exit 1
fi
export DISPLAY=:$(head -n 1 "$work/display")
echo "virtual screen $DISPLAY"

# ---- Helpers (used inside the scenarios' subshells) ----------------------------------------

pids=() # processes this scenario started, newest last

fail() {
    echo "  FAIL: $*"
    mkdir -p "$failures"
    "$probe" shot "$failures/$scenario.png" 2>/dev/null &&
        echo "  screen saved in $failures/$scenario.png"
    "$probe" list | sed 's/^/  window: /'
    [ -f "${tvsim_log:-}" ] && sed 's/^/  /' "$tvsim_log"
    [ -s "${dir:-}/pelorin.log" ] && sed 's/^/  pelorin: /' "$dir/pelorin.log"
    exit 1
}

note() { echo "  $*"; }

end_processes() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null
        wait "${pids[i]}" 2>/dev/null
    done
}

# wait_until LIMIT WHAT COMMAND...: runs COMMAND every 50 ms until it succeeds; fails the
# scenario with WHAT once LIMIT seconds have passed.
wait_until() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        ((SECONDS <= deadline)) || fail "waited ${seconds}s for: $what"
        sleep 0.05
    done
}

alive() { [ -e "/proc/$1" ] && ! grep -q '^[0-9]* (.*) Z' "/proc/$1/stat" 2>/dev/null; }
ended() { ! alive "$1"; }

# The mapped window of process PID whose type matches TYPES ("dialog", "popup|utility")
# and whose name starts with NAME, if any.
window_of() {
    "$probe" list | awk -v pid="$1" -v types="^($2)$" -v name="$3" '
        $2 == pid && $3 ~ types {
            title = $8; for (i = 9; i <= NF; i++) title = title " " $i
            if (name == "" || index(title, name) == 1) { print $1; exit }
        }'
}
has_window() { [ -n "$(window_of "$@")" ]; }
no_window() { [ -z "$(window_of "$@")" ]; }

# Waits for the window and keeps its id in the variable VAR.
await_window() {
    local var=$1
    shift
    wait_until 20 "a $2 window \"$3\" of process $1" has_window "$@"
    printf -v "$var" '%s' "$(window_of "$@")"
}

window_position() { "$probe" list | awk -v id="$1" '$1 == id { print $4 "," $5 }'; }
position_is() { [ "$(window_position "$1")" = "$2" ]; }

lamp() { "$probe" lamp "$1" | cut -d' ' -f1; }
lamp_is() { [ "$(lamp "$1")" = "$2" ]; }

# The lamp shows COLOUR and keeps it for half a second: a blinking lamp passes through white
# and red every 80 ms at the scaled speed.
lamp_steady() {
    local id=$1 colour=$2
    for _ in $(seq 10); do
        lamp_is "$id" "$colour" || return 1
        sleep 0.05
    done
}

focus() { timeout 5 xdotool windowfocus --sync "$1" || fail "cannot focus window $1"; }
keys() { timeout 5 xdotool key --delay 20 "$@" || fail "xdotool key $*"; }

# click ID X Y BUTTON: clicks at X,Y inside window ID. (No --sync: it would wait for ever when
# the pointer is already there.)
click() { timeout 5 xdotool mousemove --window "$1" "$2" "$3" click "$4" || fail "click"; }

ini_value() {
    awk -F= -v section="[$2]" -v key="$3" '
        /^\[/ { in_section = ($0 == section); next }
        in_section && $1 == key { sub(/^[^=]*=/, ""); sub(/\r$/, ""); print; exit }' "$1/setting.ini"
}
expect_ini() {
    local actual
    actual=$(ini_value "$1" "$2" "$3")
    [ "$actual" = "$4" ] || fail "setting.ini [$2] $3 is \"$actual\", expected \"$4\""
}

logged() { grep -qs -- "$1" "$tvsim_log"; }
logged_count() { grep -cs -- "$1" "$tvsim_log"; }

# Starts tvsim with ARGS; sets url, port and tvsim_log.
start_tvsim() {
    tvsim_log=$dir/tvsim.log
    "$tvsim" "$@" >"$tvsim_log" 2>&1 &
    pids+=($!)
    local started=$!
    wait_until 10 "tvsim listening" eval 'logged "^tvsim: listening" || ended $started'
    url=$(sed -n 's/^tvsim: listening url=\([^ ]*\).*/\1/p' "$tvsim_log")
    [ -n "$url" ] || return 1
    port=${url#http://127.0.0.1:}
    port=${port%%/*}
}

# A portable copy of Pelorin in a folder of its own: setting.ini lives beside it.
new_copy() {
    dir=$work/$scenario
    mkdir -p "$dir"
    cp "$pelorin" "$dir/Pelorin"
}

write_settings() {
    printf '[Server]\nURL=%s\nMac-1=00:11:22:33:44:55\n' "$url" >"$dir/setting.ini"
    [ $# -eq 0 ] || printf '%s\n' "$@" >>"$dir/setting.ini"
}

# Starts the copy; sets pelorin_pid.
start_pelorin() {
    "$dir/Pelorin" >>"$dir/pelorin.log" 2>&1 &
    pelorin_pid=$!
    pids+=("$pelorin_pid")
}

# Starts the copy and waits for its main window with a steady green lamp; sets main.
start_until_on() {
    start_pelorin
    await_window main "$pelorin_pid" normal 'ペロリン'
    wait_until 20 "the lamp steady green" lamp_steady "$main" green
}

await_exit() {
    wait_until 20 "process $1 to end" ended "$1"
    wait "$1" 2>/dev/null
}

# ---- Scenarios -----------------------------------------------------------------------------

# No settings file: a message asks for the server, the settings dialog opens with the caret
# after "http://", the user types the rest and presses Enter, and the lamp turns green.
first_start() {
    new_copy
    start_tvsim --wol-ports 0 || fail "tvsim did not start"
    start_pelorin
    local box dialog
    await_window box "$pelorin_pid" dialog 'ペロリン'
    focus "$box"
    keys Return
    await_window dialog "$pelorin_pid" dialog 'TVサーバーの指定'
    focus "$dialog"
    timeout 10 xdotool type --delay 15 "127.0.0.1:$port/tv" || fail "xdotool type"
    keys Return
    await_window main "$pelorin_pid" normal 'ペロリン'
    wait_until 20 "the lamp steady green" lamp_steady "$main" green
    no_window "$pelorin_pid" dialog '' || fail "a dialog is still open"
    expect_ini "$dir" Server URL "$url"
    expect_ini "$dir" Server Mac-1 00:11:22:33:44:55
    logged "request path=/tv status=200" || fail "tvsim was never asked for the status"
    logged "request path=/tv/GetMacAddr.asp status=200" || fail "no MAC address retrieval"
}

# A second Pelorin on the same settings is refused with a message and ends when it is
# acknowledged; the first one goes on as before.
second_instance() {
    new_copy
    start_tvsim --wol-ports 0 || fail "tvsim did not start"
    write_settings
    start_until_on
    local first=$pelorin_pid settings requests box
    settings=$(cksum <"$dir/setting.ini")
    requests=$(logged_count "request path=")

    start_pelorin
    await_window box "$pelorin_pid" dialog 'ペロリン'
    no_window "$pelorin_pid" normal 'ペロリン' || fail "the second instance showed a main window"
    focus "$box"
    keys Return
    await_exit "$pelorin_pid"

    alive "$first" || fail "the first instance ended"
    has_window "$first" normal 'ペロリン' || fail "the first instance's window is gone"
    lamp_steady "$main" green || fail "the first instance's lamp changed"
    [ "$(cksum <"$dir/setting.ini")" = "$settings" ] || fail "setting.ini changed"
    [ "$(logged_count "request path=")" = "$requests" ] || fail "the second instance asked tvsim"
}

# OFF by click hibernates the server; ON by click wakes it with a magic packet on port 2304.
on_and_off() {
    new_copy
    local wake=yes
    if ! start_tvsim --wol-ports 2304; then
        note "UDP port 2304 is taken on this machine: the wake-up part is skipped"
        wake=
        start_tvsim --wol-ports 0 || fail "tvsim did not start"
    fi
    write_settings
    start_until_on
    local row x
    read -r _ x row < <("$probe" lamp "$main")
    # The options sit on the lamp's row: the ON circle 20 pixels right of the lamp, OFF 60.
    click "$main" $((x + 60)) "$row" 1 # OFF
    wait_until 20 "tvsim to hibernate" logged "^tvsim: state off"
    logged "request path=/tv/hibern.asp status=200" || fail "no hibernate request"
    wait_until 20 "the lamp steady white" lamp_steady "$main" white

    [ -n "$wake" ] || return 0
    click "$main" $((x + 20)) "$row" 1 # ON
    wait_until 20 "a magic packet on port 2304" logged "datagram port=2304 size=102 magic=yes"
    wait_until 20 "tvsim to wake" logged "^tvsim: state on"
    wait_until 20 "the lamp steady green" lamp_steady "$main" green
}

# Settings > Icon by keyboard turns the window into the floating button; ending the program
# from the button's menu and starting it again brings back the button alone.
floating_button() {
    new_copy
    start_tvsim --wol-ports 0 || fail "tvsim did not start"
    write_settings
    start_until_on
    focus "$main"
    keys alt+s
    wait_until 10 "the Settings menu" has_window "$pelorin_pid" popup ''
    keys i
    local button
    await_window button "$pelorin_pid" utility 'ペロリン'
    wait_until 10 "the main window to go" no_window "$pelorin_pid" normal 'ペロリン'
    expect_ini "$dir" Form Show Button

    end_from_button "$button"
    local asked
    asked=$(logged_count "GetMacAddr.asp")
    start_pelorin
    await_window button "$pelorin_pid" utility 'ペロリン'
    wait_until 20 "the server's state" eval '(($(logged_count "GetMacAddr.asp") > asked))'
    for _ in $(seq 10); do
        no_window "$pelorin_pid" normal 'ペロリン' || fail "the main window is showing"
        sleep 0.05
    done
    end_from_button "$button"
}

# Right click on the floating button, then 終了(&E) in its menu.
end_from_button() {
    click "$1" 10 10 3
    wait_until 10 "the button's menu" has_window "$pelorin_pid" popup ''
    keys e
    await_exit "$pelorin_pid"
}

# Where the window was moved to is where it opens next time.
position_remembered() {
    new_copy
    start_tvsim --wol-ports 0 || fail "tvsim did not start"
    write_settings
    start_until_on
    timeout 5 xdotool windowmove "$main" 300 200 || fail "xdotool windowmove"
    wait_until 10 "the window at 300,200" position_is "$main" 300,200
    "$probe" close "$main"
    await_exit "$pelorin_pid"
    expect_ini "$dir" Pos Main_Top 3000
    expect_ini "$dir" Pos Main_Left 4500

    start_until_on
    position_is "$main" 300,200 || fail "opened at $(window_position "$main"), not at 300,200"
    "$probe" close "$main"
    await_exit "$pelorin_pid"
}

# ---- Run -----------------------------------------------------------------------------------

passed=0
failed=0
for scenario in ${E2E_SCENARIOS:-first_start second_instance on_and_off floating_button position_remembered}; do
    echo "$scenario"
    started=$SECONDS
    (
        trap end_processes EXIT
        "$scenario"
    )
    if [ $? -eq 0 ]; then
        echo "  ok ($((SECONDS - started)) s)"
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
done
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
