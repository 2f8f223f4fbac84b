#!/usr/bin/env bash
# Installs the Debian 12 packages Pelorin needs to build, test and run its demo, when missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-httpserver-dev qt6-websockets-dev qt6-tools-dev qt6-svg-dev
    libgl-dev fonts-noto-cjk
    xvfb xauth xdotool curl man-db python3 time zsh fish
    desktop-file-utils g++-mingw-w64-x86-64 wine wine64
    lintian appstream fakeroot
    clang libclang-rt-14-dev libxcb1-dev
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
