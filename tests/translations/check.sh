#!/usr/bin/env bash
# Every text of the program has its English translation, and the catalogue holds nothing else:
# lupdate, run over the sources into a copy of the catalogue, finds no new or unfinished text and
# changes nothing.
#   check.sh SOURCES CATALOGUE LUPDATE
set -euo pipefail
sources=$1 catalogue=$2 lupdate=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$catalogue" "$work/check.ts"
"$lupdate" -locations none -no-obsolete -source-language ja -target-language en \
    "$sources" -ts "$work/check.ts" >"$work/lupdate.log" 2>&1 || { cat "$work/lupdate.log"; exit 1; }
if grep -q 'type="unfinished"' "$work/check.ts"; then
    echo "FAIL: texts without an English translation:"
    grep -B2 'type="unfinished"' "$work/check.ts" | grep '<source>' | sed 's/^ */  /'
    exit 1
fi
if ! cmp -s "$catalogue" "$work/check.ts"; then
    echo "FAIL: the catalogue is not up to date with the sources" \
        "(cmake --build build --target update_translations):"
    diff "$catalogue" "$work/check.ts" | head -40
    exit 1
fi
echo "every text has its English translation"
