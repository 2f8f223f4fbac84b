#!/usr/bin/env bash
# Installs what is missing, builds, and runs Pelorin against the bundled TV-server simulator on
# loopback. With a display, Pelorin opens on it: click OFF to hibernate the simulator and ON to
# wake it with a real magic packet (sent to 127.0.0.1 only). Without a display, the same clicks
# are made on a virtual screen and screenshots are saved in demo-screens/.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

bin=$top/build/bin
work=$(mktemp -d)
pids=()
cleanup() {
    # Newest first: Pelorin before the virtual screen it draws on.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# The simulator listens for magic packets on 2304, one of the two ports Pelorin sends to.
"$bin/tvsim" --wol-ports 2304 --wake-delay 3000 >"$work/tvsim.log" &
pids+=($!)
for _ in $(seq 50); do
    grep -q '^tvsim: listening' "$work/tvsim.log" && break
    sleep 0.1
done
url=$(sed -n 's/^tvsim: listening url=\([^ ]*\).*/\1/p' "$work/tvsim.log")
[ -n "$url" ] || { cat "$work/tvsim.log"; exit 1; }

# A portable copy: setting.ini beside the executable, the manual beside it too.
cp "$bin/Pelorin" "$work/"
ln -s "$bin/help" "$work/help"
printf '[Server]\nURL=%s\n' "$url" >"$work/setting.ini"

step() { printf '\n\033[1m%s\033[0m\n' "$*"; }
step "TV-server simulator at $url"
"$bin/pelorinctl" --settings "$work/setting.ini" status || true

if [ -n "${DISPLAY:-}" ]; then
    step "Pelorin is open: OFF hibernates the simulator, ON wakes it. Close the window to end."
    "$work/Pelorin"
    step "What the simulator saw:"
    cat "$work/tvsim.log"
    exit 0
fi

shots=$top/demo-screens
mkdir -p "$shots"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 640x400x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
sleep 1
"$work/Pelorin" &
pids+=($!)
sleep 3
shot() { "$bin/x11probe" shot "$shots/$1.png" 220x120; echo "  saved demo-screens/$1.png"; }
# The caption is the program's name in the user's language.
window=$(xdotool search --sync --name '^(ペロリン|Pelorin)$' | head -n 1)
xdotool windowmove "$window" 0 0
sleep 0.5
shot 1-started

step "Click OFF: Pelorin asks the simulator to hibernate and confirms it stopped answering"
xdotool mousemove --window "$window" 79 52 click 1
sleep 1
shot 2-switching-off
sleep 5
shot 3-off

step "Click ON: Pelorin sends the magic packet and waits for the simulator to answer again"
xdotool mousemove --window "$window" 39 52 click 1
sleep 14
shot 4-on

step "What the simulator saw:"
cat "$work/tvsim.log"
