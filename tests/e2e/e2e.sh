#!/usr/bin/env bash
# End-to-end: the real Pelorin on a private virtual X screen against tvsim on loopback, driven
# by keys and clicks through xdotool; checked through x11probe (windows, lamp colour),
# setting.ini beside the portable copy and tvsim's log. Each scenario runs in a subshell with
# its own copy, simulator and clean-up. PELORIN_TIME_SCALE makes Pelorin's waits ten times
# shorter. The tray scenario docks Pelorin's icon in Debian's trayer (skipped without it); no
# scenario reaches a session bus, so none shows a notification on the desktop it runs on.
# usage: e2e.sh PELORIN TVSIM X11PROBE        (exit 77: skipped, a tool is missing)
set -uo pipefail
[ $# -eq 3 ] || { echo "usage: $0 PELORIN TVSIM X11PROBE" >&2; exit 2; }
pelorin=$1 tvsim=$2 probe=$3
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/pelorin-e2e.XXXXXX")
export PELORIN_TIME_SCALE=0.1
# The windows' captions are looked for in Japanese, whatever the locale of the run.
export LANG=ja_JP.UTF-8 LANGUAGE= LC_ALL= LC_MESSAGES=
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-session-bus
unset SESSION_MANAGER

xvfb_pid=
end_screen() {
    [ -z "$xvfb_pid" ] || { kill "$xvfb_pid"; wait "$xvfb_pid"; } 2>/dev/null
    rm -rf "$work"
}
trap end_screen EXIT

. "$(dirname "$0")/../../scripts/lib/private-screen.sh"
start_private_screen "$work" || { echo "FAIL: Xvfb did not start"; exit 1; }

pids=() # processes this scenario started, newest last

fail() {
    echo "  FAIL: $*"
    "$probe" list | sed 's/^/  window: /'
    [ -f "${tvsim_log:-}" ] && sed 's/^/  /' "$tvsim_log"
    [ -s "${dir:-}/pelorin.log" ] && sed 's/^/  pelorin: /' "$dir/pelorin.log"
    if [ -n "${pelorin_pid:-}" ]; then
        alive "$pelorin_pid" && echo "  pelorin $pelorin_pid is running: $(cat "/proc/$pelorin_pid/wchan" 2>/dev/null)" ||
            { wait "$pelorin_pid"; echo "  pelorin $pelorin_pid has ended with status $?"; }
    fi
    exit 1
}

end_processes() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        { kill "${pids[i]}"; wait "${pids[i]}"; } 2>/dev/null
    done
}

# within LIMIT COMMAND...: polls COMMAND every 50 ms; returns 1 after LIMIT seconds.
within() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS <= deadline)) || return 1
        sleep 0.05
    done
}

# wait_until LIMIT WHAT COMMAND...: as within, but the scenario fails after LIMIT seconds.
wait_until() {
    local seconds=$1 what=$2
    shift 2
    within "$seconds" "$@" || fail "waited ${seconds}s for: $what"
}

alive() { [ -e "/proc/$1" ] && ! grep -q '^[0-9]* (.*) Z' "/proc/$1/stat" 2>/dev/null; }
ended() { ! alive "$1"; }

# window_of PID TYPES NAME: the mapped window of PID whose type matches TYPES and whose name
# is exactly NAME (the window system shows the caption alone, nothing appended).
window_of() {
    "$probe" list | awk -v pid="$1" -v types="^($2)$" -v name="$3" '
        $2 == pid && $3 ~ types {
            title = $8; for (i = 9; i <= NF; i++) title = title " " $i
            if (name == "" || title == name) { print $1; exit }
        }'
}
has_window() { [ -n "$(window_of "$@")" ]; }
no_window() { [ -z "$(window_of "$@")" ]; }

# await_window VAR PID TYPES NAME: waits for the window and keeps its id in VAR.
await_window() {
    local var=$1
    shift
    wait_until 20 "a $2 window \"$3\" of process $1" has_window "$@"
    printf -v "$var" '%s' "$(window_of "$@")"
}

position_is() { [ "$("$probe" list | awk -v id="$1" '$1 == id { print $4 "," $5 }')" = "$2" ]; }

# The lamp shows COLOUR for half a second: a blinking one changes every 80 ms when scaled.
lamp_steady() {
    for _ in $(seq 10); do
        [ "$("$probe" lamp "$1" | cut -d' ' -f1)" = "$2" ] || return 1
        sleep 0.05
    done
}

focus() { timeout 5 xdotool windowfocus --sync "$1" || fail "cannot focus window $1"; }
keys() { timeout 5 xdotool key --delay 20 "$@" || fail "xdotool key $*"; }

# click ID X Y BUTTON (no --sync: it waits for ever when the pointer is already there).
click() { timeout 5 xdotool mousemove --window "$1" "$2" "$3" click "$4" || fail "click"; }

# expect_ini SECTION KEY VALUE: the line KEY=VALUE in [SECTION] of setting.ini.
expect_ini() {
    tr -d '\r' <"$dir/setting.ini" | awk -v s="[$1]" -v line="$2=$3" \
        '/^\[/ { in_s = ($0 == s) } in_s && $0 == line { found = 1 } END { exit !found }' ||
        fail "setting.ini has no [$1] $2=$3"
}

logged() { grep -qs -- "$1" "$tvsim_log"; }
logged_count() { grep -cs -- "$1" "$tvsim_log"; }

# A portable copy of Pelorin in a folder of its own (setting.ini lives beside it) and tvsim
# with ARGS (default: --wol-ports 0); sets dir, url and tvsim_log. Fails when tvsim
# does not start, or only returns 1 with --try.
setup() {
    local try=
    [ "${1:-}" != --try ] || { try=1; shift; }
    [ $# -gt 0 ] || set -- --wol-ports 0
    dir=$work/$scenario tvsim_log=$work/$scenario/tvsim.log
    mkdir -p "$dir"
    cp "$pelorin" "$dir/Pelorin"
    "$tvsim" "$@" >"$tvsim_log" 2>&1 &
    pids+=($!)
    local started=$!
    wait_until 10 "tvsim listening" eval 'logged "^tvsim: listening" || ended $started'
    url=$(sed -n 's/^tvsim: listening url=\([^ ]*\).*/\1/p' "$tvsim_log")
    [ -n "$url" ] || { [ -n "$try" ] && return 1; fail "tvsim did not start"; }
}

start_pelorin() { # sets pelorin_pid
    "$dir/Pelorin" >>"$dir/pelorin.log" 2>&1 &
    pelorin_pid=$!
    pids+=("$pelorin_pid")
}

# Waits for the main window (sets main) with a steady green lamp.
await_on() {
    await_window main "$pelorin_pid" normal 'ペロリン'
    wait_until 20 "the lamp steady green" lamp_steady "$main" green
}
# With settings written if there are none yet.
start_until_on() {
    [ -f "$dir/setting.ini" ] ||
        printf '[Server]\nURL=%s\nMac-1=00:11:22:33:44:55\n' "$url" >"$dir/setting.ini"
    start_pelorin
    await_on
}

await_exit() {
    wait_until 20 "process $1 to end" ended "$1"
    wait "$1" 2>/dev/null
}

# No settings file: a message asks for the server, the settings dialog opens with the caret
# after "http://", the user types the rest and presses Enter, and the lamp turns green.
first_start() {
    setup
    start_pelorin
    local box dialog
    await_window box "$pelorin_pid" dialog 'ペロリン'
    focus "$box"
    keys Return
    await_window dialog "$pelorin_pid" dialog 'TVサーバーの指定'
    focus "$dialog"
    timeout 10 xdotool type --delay 15 "${url#http://}" || fail "xdotool type"
    keys Return
    await_on
    no_window "$pelorin_pid" dialog '' || fail "a dialog is still open"
    expect_ini Server URL "$url"
    expect_ini Server Mac-1 00:11:22:33:44:55
    logged "request path=/tv status=200" || fail "tvsim was never asked for the status"
    logged "request path=/tv/GetMacAddr.asp status=200" || fail "no MAC address retrieval"
}

# Sets wake: whether tvsim takes magic packets on UDP port 2304 (another program may hold it).
setup_waking() {
    wake=yes
    setup --try --wol-ports 2304 || { echo "  UDP port 2304 is taken: no wake-up part"; wake= && setup; }
}

# OFF by click hibernates the server; ON by click wakes it with a magic packet on port 2304.
# Where the window was moved to is where it opens next time.
on_and_off() {
    setup_waking
    start_until_on
    local row x
    read -r _ x row < <("$probe" lamp "$main")
    # The options sit on the lamp's row: the ON circle 20 pixels right of the lamp, OFF 60.
    click "$main" $((x + 60)) "$row" 1 # OFF
    wait_until 20 "tvsim to hibernate" logged "^tvsim: state off"
    logged "request path=/tv/hibern.asp status=200" || fail "no hibernate request"
    wait_until 20 "the lamp steady white" lamp_steady "$main" white

    if [ -n "$wake" ]; then
        click "$main" $((x + 20)) "$row" 1 # ON
        wait_until 20 "a magic packet on port 2304" logged "datagram port=2304 size=102 magic=yes"
        wait_until 20 "tvsim to wake" logged "^tvsim: state on"
        wait_until 20 "the lamp steady green" lamp_steady "$main" green
    fi

    timeout 5 xdotool windowmove "$main" 300 200 || fail "xdotool windowmove"
    wait_until 10 "the window at 300,200" position_is "$main" 300,200
    "$probe" close "$main"
    await_exit "$pelorin_pid"
    expect_ini Pos Main_Top 3000
    expect_ini Pos Main_Left 4500
    start_pelorin
    await_window main "$pelorin_pid" normal 'ペロリン'
    # Without the wake-up part the server is still hibernating.
    local lamp=white
    [ -z "$wake" ] || lamp=green
    wait_until 20 "the lamp steady $lamp" lamp_steady "$main" "$lamp"
    position_is "$main" 300,200 || fail "did not open at 300,200"
}

# Settings > Icon by keyboard turns the window into the floating button; ending the program
# from the button's menu and starting it again brings back the button alone.
floating_button() {
    setup
    start_until_on
    focus "$main"
    keys alt+s
    wait_until 10 "the Settings menu" has_window "$pelorin_pid" popup ''
    keys i
    local button
    await_window button "$pelorin_pid" utility 'ペロリン'
    wait_until 10 "the main window to go" no_window "$pelorin_pid" normal 'ペロリン'
    expect_ini Form Show Button

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

# Right click on the floating button, then 終了(&E) in its menu. On a loaded machine the first
# click after the button has taken the main window's place is, rarely, left unanswered while
# Pelorin idles; a person clicks again, and so does this, saying so.
end_from_button() {
    local try
    for try in 1 2; do
        click "$1" 10 10 3
        within 5 has_window "$pelorin_pid" popup '' && break
        echo "  no menu 5 s after right click $try"
    done
    wait_until 5 "the button's menu" has_window "$pelorin_pid" popup ''
    keys e
    await_exit "$pelorin_pid"
}

# The icon in a system tray: it shows the lamp's colour, its menu's OFF and ON drive tvsim, a
# click on it hides the main window and its menu shows it again, and 終了 in its menu ends
# Pelorin as closing the main window does.
tray() {
    command -v trayer >/dev/null || { echo "  trayer is not installed: skipped"; return 0; }
    local icon x y width height
    setup_waking
    trayer --edge top --align right --widthtype pixel --width 64 --heighttype pixel --height 32 \
        --SetDockType false --transparent false >"$dir/trayer.log" 2>&1 &
    pids+=($!)
    await_window icon "$!" normal panel
    start_until_on
    timeout 5 xdotool windowmove "$main" 300 200 || fail "xdotool windowmove"
    wait_until 10 "the window at 300,200" position_is "$main" 300,200
    wait_until 20 "a green icon in the tray" tray_shows green
    read -r icon x y width height _ < <("$probe" tray "$pelorin_pid")
    x=$((x + width / 2)) y=$((y + height / 2))

    tray_menu "$x" "$y" Down Down Return # OFF
    wait_until 20 "tvsim to hibernate" logged "^tvsim: state off"
    wait_until 20 "a white icon in the tray" tray_shows white
    if [ -n "$wake" ]; then
        tray_menu "$x" "$y" Down Return # ON
        wait_until 20 "tvsim to wake" logged "^tvsim: state on"
        wait_until 20 "a green icon in the tray" tray_shows green
    fi

    timeout 5 xdotool mousemove "$x" "$y" click 1 || fail "click on the icon"
    wait_until 10 "the main window to hide" no_window "$pelorin_pid" normal 'ペロリン'
    tray_menu "$x" "$y" s # 表示(&S)
    wait_until 10 "the main window to show" has_window "$pelorin_pid" normal 'ペロリン'

    tray_menu "$x" "$y" e
    await_exit "$pelorin_pid"
}

tray_shows() { [ "$("$probe" tray "$pelorin_pid" | cut -d' ' -f6)" = "$1" ]; }

# tray_menu X Y KEY...: opens the icon's menu with a right click at X,Y and types the keys.
tray_menu() {
    local x=$1 y=$2
    shift 2
    sleep 0.5 # a click within Qt's double-click time of the one before would be a double click
    timeout 5 xdotool mousemove "$x" "$y" click 3 || fail "right click on the icon"
    wait_until 10 "the icon's menu" has_window "$pelorin_pid" popup ''
    keys "$@"
    wait_until 10 "the icon's menu to close" no_window "$pelorin_pid" popup ''
}

passed=0 failed=0
for scenario in ${E2E_SCENARIOS:-first_start on_and_off floating_button tray}; do
    echo "$scenario"
    started=$SECONDS
    if (trap end_processes EXIT; "$scenario"); then
        echo "  ok ($((SECONDS - started)) s)"
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
done
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
