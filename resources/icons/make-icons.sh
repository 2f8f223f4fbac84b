#!/usr/bin/env bash
# Renders pelorin.svg into pelorin-16/32/48/64/128/256.png and pelorin.ico for packaging.
#   make-icons.sh [OUTDIR]   (default: this folder)
# The PNGs are kept in the repository: 16, 32, 48 and 256 are compiled into the programs, and
# every size is installed into the hicolor icon theme. Run this again after changing the SVG.
# The .ico is made when a Windows package is built.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
out="${1:-$here}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cmake -S "$root/tools/iconrender" -B "$work" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work" >/dev/null
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$work/iconrender" "$here/pelorin.svg" "$out" pelorin
ls -l "$out"/pelorin-*.png "$out"/pelorin.ico
