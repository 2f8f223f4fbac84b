#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ (the "fuzz" preset) and runs each one for
# a short while from its committed corpus. Prints one line per target and exits non-zero when a
# target finds a crash, a sanitizer report or a broken invariant; the input that did it is kept
# under build-fuzz/fuzz/artifacts/ and the target's log is shown.
#
#   tests/fuzz/run.sh                    every target, FUZZ_SECONDS (20) seconds each
#   tests/fuzz/run.sh fuzz_inifile       only the named targets
#   FUZZ_SECONDS=300 tests/fuzz/run.sh   longer runs
#
# New inputs a run finds go to build-fuzz/fuzz/corpus/<target>/, never into the source tree, so
# repeated runs build on each other and the checkout stays clean. Needs clang and libFuzzer
# (Debian: clang, libclang-rt-14-dev).
set -euo pipefail
cd "$(dirname "$0")/../.."

seconds=${FUZZ_SECONDS:-20}
all_targets=(fuzz_inifile fuzz_macitems fuzz_status fuzz_serverurl fuzz_wakeonlan)
if [ $# -gt 0 ]; then targets=("$@"); else targets=("${all_targets[@]}"); fi
build=build-fuzz
work=$build/fuzz

mkdir -p "$work"
if ! cmake --preset fuzz >"$work/configure.log" 2>&1; then
    cat "$work/configure.log" >&2
    exit 1
fi
if ! cmake --build "$build" --target "${targets[@]}" >"$work/build.log" 2>&1; then
    cat "$work/build.log" >&2
    exit 1
fi

# Leaks are libFuzzer's to report (it checks each input); UBSan reports already abort.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# The INI target writes a file per input; memory-backed storage keeps that from being the limit.
# A target stopped by a finding leaves its temporary folder behind, so all of them go in one
# scratch folder that is removed at the end.
scratch_parent=${TMPDIR:-/tmp}
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    scratch_parent=/dev/shm
fi
scratch=$(mktemp -d "$scratch_parent/pelorin-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch

failed=0
for target in "${targets[@]}"; do
    corpus=$work/corpus/$target
    artifacts=$work/artifacts
    log=$work/$target.log
    mkdir -p "$corpus" "$artifacts"
    rm -f "$artifacts/$target"-*
    options=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1
        -artifact_prefix="$artifacts/$target-")
    [ -f "tests/fuzz/dict/$target.dict" ] && options+=(-dict="tests/fuzz/dict/$target.dict")
    # The first folder receives what this run finds; the committed seeds are only read.
    if "$build/bin/$target" "${options[@]}" "$corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
        printf '%-16s ok   %s runs in %ss\n' "$target" "${runs:-?}" "$seconds"
    else
        failed=1
        printf '%-16s FAILED (log: %s)\n' "$target" "$log"
        report=$(grep -E -A 12 'invariant broken|ERROR: |runtime error' "$log" || tail -n 40 "$log")
        printf '%s\n' "$report" | head -n 60 >&2
        for input in "$artifacts/$target"-*; do
            if [ -e "$input" ]; then echo "  input: $input" >&2; fi
        done
    fi
done
exit "$failed"
