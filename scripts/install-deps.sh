#!/usr/bin/env bash
# Installs the Debian 12 packages Pelorin needs to build, test and run its demo, when missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config locales
    qt6-l10n-tools qt6-translations-l10n
    qt6-base-dev qt6-base-dev-tools qt6-httpserver-dev qt6-websockets-dev qt6-tools-dev qt6-svg-dev
    libgl-dev fonts-noto-cjk
    xvfb xauth xdotool trayer dbus-daemon curl man-db python3 shfmt time zsh fish
    desktop-file-utils g++-mingw-w64-x86-64 wine wine64
    lintian appstream fakeroot
    clang libclang-rt-14-dev libxcb1-dev
)

# The tests run the programs in Japanese and in English.
locales=(ja_JP.UTF-8 en_US.UTF-8)

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

for locale in "${locales[@]}"; do
    if ! locale -a | grep -qix "${locale/UTF-8/utf8}"; then
        echo "Generating the locale $locale"
        "${sudo[@]}" sed -i "s/^# *\($locale UTF-8\)/\1/" /etc/locale.gen
        grep -q "^$locale UTF-8" /etc/locale.gen ||
            echo "$locale UTF-8" | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
        "${sudo[@]}" locale-gen >/dev/null
    fi
done
