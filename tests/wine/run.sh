#!/usr/bin/env bash
# Checks the Windows platform layer of the post-install program on Linux: builds the layer, the
# routines and the Qt-free driver (driver.cpp) with the MinGW-w64 cross compiler, and runs the
# driver under Wine in a private prefix and home folder. Says "SKIPPED: ..." and exits 0 where the
# cross compiler or Wine is missing or Wine cannot set up its prefix; exits 1 when a check fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
compiler=x86_64-w64-mingw32-g++

skip() {
    echo "SKIPPED: $*"
    exit 0
}
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

command -v "$compiler" >/dev/null ||
    skip "no MinGW-w64 cross compiler ($compiler, Debian package g++-mingw-w64-x86-64)"
command -v wine >/dev/null || skip "Wine is not installed (Debian packages wine and wine64)"
command -v wineserver >/dev/null || skip "Wine is not installed completely (no wineserver)"

work="$(mktemp -d)"
# Wine keeps to the private prefix and home: nothing lands in the real user's folders.
export HOME="$work/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME"
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    timeout 30 wineserver -w >/dev/null 2>&1 || true
    rm -rf "$work" 2>/dev/null || { sleep 1 && rm -rf "$work"; } || true
}
trap cleanup EXIT

echo "== building the Windows layer and its driver with $compiler"
postinstall="$root/src/postinstall"
"$compiler" -std=c++20 -O1 -Wall -Wextra -Wpedantic -Werror -municode -static \
    -I"$root/src" \
    "$postinstall/commandline.cpp" "$postinstall/moduac.cpp" "$postinstall/osversion.cpp" \
    "$postinstall/shortcuts.cpp" "$postinstall/platform/platform_win.cpp" \
    "$root/tests/wine/driver.cpp" \
    -o "$work/driver.exe" -lole32 -luuid -lshell32 -ladvapi32 -luser32 ||
    { echo "FAIL: the Windows layer does not build"; exit 1; }

echo "== setting up a Wine prefix"
# Its exit code says little (a 64-bit-only Wine complains about the 32-bit half); the registry
# files and a working cmd say whether the prefix can be used.
timeout 300 wine wineboot --init >"$work/wineboot.log" 2>&1 || true
timeout 120 wineserver -w >/dev/null 2>&1 || true
if [ ! -f "$WINEPREFIX/system.reg" ] ||
    ! timeout 120 wine cmd /c ver 2>>"$work/wineboot.log" | grep -q Windows; then
    tail -n 5 "$work/wineboot.log" || true
    skip "Wine could not set up its prefix here"
fi

# Runs a Windows program; its output without carriage returns.
win() {
    timeout 120 wine "$@" 2>>"$work/wine.log" | tr -d '\r'
}
driver() {
    win "$work/driver.exe" "$@"
}
# Counts the driver's failed checks and shows every line.
driver_checks() {
    local output status=0
    output="$(driver "$@")" || status=$?
    echo "$output"
    [ "$status" -eq 0 ] || fail "driver $* ($status failed checks or an error)"
}

expected_name() { # major minor
    case "$1.$2" in
        4.0) echo NT4 ;;
        5.0) echo 2000 ;;
        5.1) echo XP ;;
        5.2) echo 2003 ;;
        6.*) echo VISTA ;;
        *) echo "" ;;
    esac
}

echo "== GetOSVersion against the version Wine reports"
for version in default win10 vista win2003 win2k; do
    if [ "$version" != default ]; then
        win reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d "$version" /f >/dev/null
    fi
    reported="$(win cmd /c ver | sed -n 's/.*Windows \([0-9]*\)\.\([0-9]*\)\..*/\1 \2/p')"
    [ -n "$reported" ] || { fail "$version: Wine reported no version"; continue; }
    read -r major minor <<<"$reported"
    # A program without a compatibility manifest (this one, like the original) is told 6.2 by
    # every later version; cmd, which has one, reports the real number.
    if [ "$major" -gt 6 ] || { [ "$major" -eq 6 ] && [ "$minor" -gt 2 ]; }; then
        major=6 minor=2
    fi
    output="$(driver osversion)"
    record="$(sed -n 's/^record //p' <<<"$output")"
    name="$(sed -n 's/^name //p' <<<"$output")"
    expected="$(expected_name "$major" "$minor")"
    if [ "$record" = "2 $major $minor" ] && [ "$name" = "$expected" ]; then
        echo "ok: $version: Wine reports $reported, record $record, name '$name'"
    else
        fail "$version: Wine reports $reported; record '$record', name '$name', expected '2 $major $minor', '$expected'"
    fi
done
win reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null || true

echo "== IsUACEnabled"
policy='HKLM\Software\Microsoft\Windows\CurrentVersion\Policies\System'
check_uac() { # description expected
    local answer
    answer="$(driver uac | sed -n 's/^uac //p')"
    if [ "$answer" = "$2" ]; then
        echo "ok: EnableLUA $1 gives $answer"
    else
        fail "EnableLUA $1 gives '$answer', expected $2"
    fi
}
for value in 0 1 2; do
    win reg add "$policy" /v EnableLUA /t REG_DWORD /d "$value" /f >/dev/null
    check_uac "= $value" "$([ "$value" = 1 ] && echo 1 || echo 0)"
done
win reg add "$policy" /v EnableLUA /t REG_SZ /d 1 /f >/dev/null
check_uac "= text \"1\"" 0
win reg delete "$policy" /v EnableLUA /f >/dev/null || true
check_uac "absent" 0

echo "== shortcuts"
driver_checks shortcuts

echo "== programs started and waited for"
driver_checks wait

echo "== the tool started from a folder with spaces"
tool_folder="$WINEPREFIX/drive_c/Program Files/Pelorin Test"
mkdir -p "$tool_folder"
cp "$work/driver.exe" "$tool_folder/Pelorin.exe"
driver_checks tool 'C:\Program Files\Pelorin Test'

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all Windows layer checks passed under Wine"
