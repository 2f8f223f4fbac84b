#!/usr/bin/env bash
# Speed and footprint of Pelorin, measured in one run on a private virtual X screen against the
# simulator on loopback, and compared with a bare Qt Widgets program built in the same tree.
# Prints a table of the figures (medians), their targets and whether each is met; exits 1 when
# one is missed.
#
#   bash bench/run.sh
#
# Settings (environment):
#   PELORIN_BENCH_RUNS=9              start-ups of each program, and in-process measurements
#   PELORIN_BENCH_IDLE_S=60           length of the idle CPU measurement, in seconds
#   PELORIN_BENCH_IDLE_INSTANCES=3    copies of Pelorin idling side by side for it
#   PELORIN_BENCH_PROBE_SCALE=1       scale of the probe's 10 s time-out in the stall measurement
#   PELORIN_BENCH_QUICK=1             a short run: 3 runs, 10 s idle, the time-out cut to 2 s
#   PELORIN_BUILD_DIR=build           the configured build tree to use
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${PELORIN_BENCH_QUICK:-}" = 1 ]; then
    : "${PELORIN_BENCH_RUNS:=3}" "${PELORIN_BENCH_IDLE_S:=10}" "${PELORIN_BENCH_PROBE_SCALE:=0.2}"
fi
runs=${PELORIN_BENCH_RUNS:-9}
idle_s=${PELORIN_BENCH_IDLE_S:-60}
idle_instances=${PELORIN_BENCH_IDLE_INSTANCES:-3}
probe_scale=${PELORIN_BENCH_PROBE_SCALE:-1}
build=${PELORIN_BUILD_DIR:-build}

for tool in Xvfb cmake; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is needed (scripts/install-deps.sh)" >&2; exit 1; }
done
[ -f "$build/CMakeCache.txt" ] || cmake --preset default >/dev/null
cmake --build "$build" --target Pelorin bench_bare bench_startup bench_inprocess >/dev/null
bin=$build/bin

work=$(mktemp -d "${TMPDIR:-/tmp}/pelorin-bench.XXXXXX")
xvfb_pid=
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# A screen of our own, which must not start over between two programs.
. "$(dirname "$0")/../scripts/lib/private-screen.sh"
start_private_screen "$work" || { echo "bench: Xvfb did not start" >&2; exit 1; }
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset PELORIN_TIME_SCALE

figures=$work/figures
echo "Cold start-up, memory and idle CPU ($runs runs, ${idle_s} s idle) ..." >&2
"$bin/bench_startup" "$bin/Pelorin" "$bin/bench_bare" "$work" "$runs" "$idle_s" "$idle_instances" \
    >"$figures"

echo "GUI thread during a probe that gets no answer, ON click to magic packet ..." >&2
for ((i = 1; i <= runs; i++)); do
    PELORIN_BENCH_PROBE_SCALE=$probe_scale "$bin/bench_inprocess" stall 2>/dev/null
    "$bin/bench_inprocess" wake 2>/dev/null
done >"$work/inprocess"
# The in-process figures come one per run: their medians join the others.
awk '$1 == "figure" { values[$2] = values[$2] " " $3 }
     END {
         for (name in values) {
             n = split(substr(values[name], 2), v, " ")
             for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
             m = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
             printf "figure %s %.4f\n", name, m
         }
     }' "$work/inprocess" >>"$figures"

qt=$(qtpaths6 --qt-version 2>/dev/null || echo unknown)
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
echo
echo "Machine: $(nproc) CPUs, ${cpu:-unknown CPU}, Qt $qt, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Medians of $runs runs; a ratio is the median of each Pelorin start's ratio to the bare start"
echo "just before it; idle CPU: median of $idle_instances copies idling ${idle_s} s."
echo
awk -v idle_s="$idle_s" -v probe_scale="$probe_scale" '
    $1 == "figure" { f[$2] = $3 }
    function row(what, value, unit, base, ratio, target, ok) {
        printf "| %-48s | %10s | %10s | %5s | %-9s | %-6s |\n", what, value unit, base, ratio, target, ok ? "pass" : "FAIL"
        if (!ok) failed = 1
    }
    END {
        printf "| %-48s | %10s | %10s | %5s | %-9s | %-6s |\n", "figure", "Pelorin", "bare", "ratio", "target", "result"
        printf "|%s|%s|%s|%s|%s|%s|\n", "--------------------------------------------------", "------------", "------------", "-------", "-----------", "--------"
        bare = f["bare_first_paint_ms"]
        r = f["first_request_ratio"]
        row("cold start to first request at tvsim", sprintf("%.1f", f["pelorin_first_request_ms"]), " ms", sprintf("%.1f ms", bare), sprintf("%.2fx", r), "<= 1.3x", r <= 1.3)
        r = f["status_shown_ratio"]
        row("cold start to status shown", sprintf("%.1f", f["pelorin_status_shown_ms"]), " ms", sprintf("%.1f ms", bare), sprintf("%.2fx", r), "<= 1.3x", r <= 1.3)
        r = f["peak_rss_ratio"]
        row("peak resident memory", sprintf("%.1f", f["pelorin_peak_rss_kib"] / 1024), " MiB", sprintf("%.1f MiB", f["bare_peak_rss_kib"] / 1024), sprintf("%.2fx", r), "<= 1.2x", r <= 1.2)
        row(sprintf("CPU time idle %d s, lamp steady", idle_s), sprintf("%.3f", f["pelorin_idle_cpu_s"]), " s", "", "", "<= 0.05 s", f["pelorin_idle_cpu_s"] <= 0.05)
        row(sprintf("longest GUI stall, probe without answer%s", probe_scale == 1 ? "" : " (x" probe_scale ")"), sprintf("%.1f", f["probe_longest_stall_ms"]), " ms", "", "", "<= 30 ms", f["probe_longest_stall_ms"] <= 30)
        row("ON click to first magic packet", sprintf("%.2f", f["wake_first_datagram_ms"]), " ms", "", "", "<= 10 ms", f["wake_first_datagram_ms"] <= 10)
        printf "\nFor reference: Pelorin first paint %.1f ms; CPU time to status shown %.1f ms (bare, to first paint: %.1f ms).\n", f["pelorin_first_paint_ms"], f["pelorin_cpu_to_status_ms"], f["bare_cpu_to_paint_ms"]
        exit failed
    }' "$figures"
