#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the whole suite with the default preset,
# the whole suite again with address and undefined-behaviour sanitizers, and a short run of each
# fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

cmake --preset default
cmake --build --preset default
ctest --preset default

cmake --preset asan
cmake --build --preset asan
ctest --preset asan

FUZZ_SECONDS=${FUZZ_SECONDS:-10} tests/fuzz/run.sh
