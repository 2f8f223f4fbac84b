#!/usr/bin/env bash
# A write on a full disk reports failure and leaves the settings file as it was, byte for byte:
# with no page left, one page (room for the lock file only), and fewer pages than the new file
# needs. The tiny tmpfs lives in a private mount namespace (needs root; "SKIPPED" without).
# Usage: fulldisk.sh WRITER
set -u
writer=$1
if [ "${2:-}" != --inside ]; then
    unshare -m true 2>/dev/null || { echo "SKIPPED: no private mount namespace here"; exit 0; }
    exec unshare -m --propagation private bash "$0" "$writer" --inside
fi

work=$(mktemp -d)
disk=$work/disk
trap 'umount "$disk" 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$disk"
mount -t tmpfs -o size=256k tmpfs "$disk" 2>/dev/null || { echo "SKIPPED: no tmpfs mount"; exit 0; }

page=$(getconf PAGESIZE)
failures=0
for case in "0 200" "1 200" "3 12000"; do # pages left free, bytes in the settings file
    set -- $case
    rm -f "$disk"/*
    {
        printf '[Server]\r\nURL=http://tv:8080/\r\n[録画サーバー]\r\n'
        for ((n = 1; n * 64 <= $2 + 63; n++)); do
            printf 'List-%d=居間のテレビ=オン;"%040d"\r\n' "$n" "$n"
        done
    } >"$work/before.ini"
    cp "$work/before.ini" "$disk/setting.ini"
    dd if=/dev/zero of="$disk/spare" bs="$page" count="$1" status=none
    dd if=/dev/zero of="$disk/fill" bs="$page" status=none 2>/dev/null
    rm -f "$disk/spare"
    if outcome=$("$writer" --once "$disk/setting.ini" Server URL "http://tv:9090/"); then
        echo "FAIL: $case: the write reported success on a full disk"
    elif ! cmp -s "$work/before.ini" "$disk/setting.ini"; then
        echo "FAIL: $case: the settings file changed"
    else
        echo "PASS: $case: $outcome"
        continue
    fi
    failures=$((failures + 1))
done
exit $((failures > 0))
