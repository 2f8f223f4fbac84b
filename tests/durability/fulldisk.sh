#!/usr/bin/env bash
# A write on a full disk reports failure and leaves the settings file as it was, byte for byte.
# The file lives on a tiny tmpfs that is filled up before the program's own write (the writer's
# one-write mode) runs; the tmpfs is mounted in a private mount namespace, so nothing outside
# ever sees it. Cases: no page left, one page left (room for the lock file only), and a few pages
# left, fewer than the new file needs. Prints "SKIPPED: ..." and passes where mount namespaces or
# mounts are not allowed (they need root).
# Usage: fulldisk.sh WRITER
set -u
writer=$1

if [ "${2:-}" != --inside ]; then
    if ! unshare -m true 2>/dev/null; then
        echo "SKIPPED: no private mount namespace here (needs root)"
        exit 0
    fi
    exec unshare -m --propagation private bash "$0" "$writer" --inside
fi

work=$(mktemp -d)
trap 'umount "$work/disk" 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/disk"
if ! mount -t tmpfs -o size=256k tmpfs "$work/disk" 2>/dev/null; then
    echo "SKIPPED: cannot mount a tmpfs here"
    exit 0
fi
page=$(getconf PAGESIZE)
disk=$work/disk

# A settings file of about the given size, with Japanese text and CR LF breaks.
settings_file() {
    printf '[Server]\r\nURL=http://tv:8080/\r\n[録画サーバー]\r\n'
    local n=0
    while [ $((n * 64)) -lt "$1" ]; do
        n=$((n + 1))
        printf 'List-%d=居間のテレビ=オン;"%040d"\r\n' "$n" "$n"
    done
}

failures=0
# pages left free, bytes in the settings file
for case in "0 200" "1 200" "3 12000"; do
    set -- $case
    rm -f "$disk"/*
    settings_file "$2" >"$work/before.ini"
    cp "$work/before.ini" "$disk/setting.ini"
    dd if=/dev/zero of="$disk/spare" bs="$page" count="$1" status=none
    dd if=/dev/zero of="$disk/fill" bs="$page" status=none 2>/dev/null
    rm -f "$disk/spare"
    outcome=$("$writer" --once "$disk/setting.ini" Server URL "http://tv:9090/")
    status=$?
    name="$1 pages free, $2-byte file"
    if [ "$status" -eq 0 ]; then
        echo "FAIL: $name: the write reported success on a full disk"
        failures=$((failures + 1))
    elif ! cmp -s "$work/before.ini" "$disk/setting.ini"; then
        echo "FAIL: $name: the settings file changed ($(stat -c %s "$disk/setting.ini") bytes)"
        failures=$((failures + 1))
    else
        echo "PASS: $name: $outcome"
    fi
done
exit $((failures > 0))
