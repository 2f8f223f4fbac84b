#!/usr/bin/env bash
# A write on a full disk fails and leaves the settings file as it was, byte for byte: with no page
# left, one page (room for the lock file only), and fewer pages than the new file needs. The tmpfs
# lives in a private mount namespace (needs root; "SKIPPED" without). Argument: tst_durability.
set -u
if [ "${2:-}" != --inside ]; then
    unshare -m true 2>/dev/null || { echo "SKIPPED: no private mount namespace here"; exit 0; }
    exec unshare -m --propagation private bash "$0" "$1" --inside
fi
work=$(mktemp -d)
disk=$work/disk
trap 'umount "$disk" 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$disk"
mount -t tmpfs -o size=256k tmpfs "$disk" 2>/dev/null || { echo "SKIPPED: no tmpfs mount"; exit 0; }
failures=0
for case in "0 4" "1 4" "3 188"; do # pages left free, lines in the settings file
    set -- "$1" $case
    rm -f "$disk"/*
    { printf '[Server]\r\nURL=http://tv:8080/\r\n[録画サーバー]\r\n'
      for ((n = 1; n <= $3; n++)); do printf 'List-%d=居間のテレビ=オン;"%040d"\r\n' "$n" "$n"; done
    } >"$work/before.ini"
    cp "$work/before.ini" "$disk/setting.ini"
    dd if=/dev/zero of="$disk/spare" bs="$(getconf PAGESIZE)" count="$2" status=none
    dd if=/dev/zero of="$disk/fill" bs=1k status=none 2>/dev/null
    rm "$disk/spare"
    ! "$1" --keys "$disk/setting.ini" X 1 && cmp -s "$work/before.ini" "$disk/setting.ini" ||
        { echo "FAIL: $case: the write reported success or changed the file"; failures=1; }
done
exit $failures
