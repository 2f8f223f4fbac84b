#!/usr/bin/env bash
# Draws splash.png, the post-install program's splash picture (205 x 47, 24-bit), with the small
# Qt program in painter/. The picture is kept in the repository; run this after changing it.
#   make-splash.sh [OUTPUT]   (default: splash.png in this folder)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$here/splash.png}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cmake -S "$here/painter" -B "$work" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work" >/dev/null
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$work/splashpainter" "$out"
ls -l "$out"
