#!/usr/bin/env bash
# Installs what is missing, builds, and shows pelorinctl switching the bundled TV-server
# simulator on loopback: status, learning the MAC address, hibernating, waking, status again.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

bin=build/bin
work=$(mktemp -d)
cleanup() {
    [ -n "${sim_pid:-}" ] && kill "$sim_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

"$bin/tvsim" --wol-ports 0,0 --wake-delay 1500 --macs 00:11:22:33:44:55 >"$work/tvsim.log" &
sim_pid=$!
for _ in $(seq 50); do
    grep -q '^tvsim: listening' "$work/tvsim.log" && break
    sleep 0.1
done
line=$(grep '^tvsim: listening' "$work/tvsim.log")
url=$(sed -n 's/.* url=\([^ ]*\).*/\1/p' <<<"$line")
ports=$(sed -n 's/.* wol=\([^ ]*\).*/\1/p' <<<"$line")
ctl=("$bin/pelorinctl" --settings "$work/setting.ini")

step() { printf '\n\033[1m$ %s\033[0m\n' "$*"; }
run() { step "pelorinctl ${*}"; "${ctl[@]}" "$@" || true; }

echo "TV-server simulator at $url (Wake-on-LAN on UDP $ports)"
run config set Server URL "$url"
run status
run macs
step "curl $url/hibern.asp   # the server goes to sleep"
curl -s "$url/hibern.asp" >/dev/null || true
sleep 0.5
run status
run wake --to 127.0.0.1 --ports "$ports"
step "sleep 2   # the server wakes up"
sleep 2
run status
run config list
