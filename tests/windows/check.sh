#!/usr/bin/env bash
# Compiles every source file of Pelorin, Primelet and pelorinctl as a Windows build would, with
# the MinGW-w64 cross compiler's syntax check: the Windows-only branches (`#ifdef Q_OS_WIN`, the
# Windows platform layer) must still compile. Nothing is linked or run.
#   check.sh SOURCE_ROOT SOURCES_LIST FLAGS_DIR
# SOURCES_LIST has a line "TARGET FILE" for each file; FLAGS_DIR/TARGET.rsp holds the target's
# include folders and defines (both written by this folder's CMakeLists.txt). Says "SKIPPED: ..."
# where the cross compiler is missing.
set -euo pipefail
root="$1"
list="$2"
flags="$3"
# The POSIX thread model, as the MinGW toolchains that Qt is built with have it: with Debian's
# default (win32) there is no std::mutex.
compiler=x86_64-w64-mingw32-g++-posix

command -v "$compiler" >/dev/null || {
    echo "SKIPPED: no MinGW-w64 cross compiler ($compiler, Debian package g++-mingw-w64-x86-64)"
    exit 0
}
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The defines Qt's CMake package gives a MinGW target. The Linux Qt headers serve: Q_OS_WIN
# follows the compiler, and what their qconfig switches on exists on Windows as well.
printf '%s\n' -DUNICODE -D_UNICODE -DWIN32 -DWIN64 -D_WIN64 -D_ENABLE_EXTENDED_ALIGNED_STORAGE \
    -DMINGW_HAS_SECURE_API=1 >"$work/windows.rsp"

# Every source file is in the list, except the POSIX platform layer that a Windows build
# replaces: a file the list missed would go unchecked.
cut -d' ' -f2- "$list" | sort -u >"$work/checked"
(cd "$root" && find src -name '*.cpp' ! -name '*_posix.cpp' -printf "$root/%p\n" | sort) >"$work/all"
unchecked="$(comm -23 "$work/all" "$work/checked")"
[ -z "$unchecked" ] || { echo "FAIL: not checked for Windows:"; echo "$unchecked"; exit 1; }

count=0
while read -r target file; do
    [ -n "$target" ] || continue
    count=$((count + 1))
    printf '%s\0%s\0%s\0' "$work/$count" "$flags/$target.rsp" "$file"
done <"$list" >"$work/jobs"
echo "== $count files with $compiler -fsyntax-only"

# A compiler for each CPU; each job leaves OUT.log, and OUT.ok when the file compiled.
export compiler work
xargs -0 -n 3 -P "$(nproc)" sh -c '
    "$compiler" -std=c++20 -fsyntax-only -Wno-attributes "@$work/windows.rsp" "@$2" "$3" \
        >"$1.log" 2>&1 && touch "$1.ok"
    exit 0' sh <"$work/jobs"

failed=0
count=0
while read -r target file; do
    [ -n "$target" ] || continue
    count=$((count + 1))
    if [ ! -f "$work/$count.ok" ]; then
        echo "FAIL: ${file#"$root"/} ($target) does not compile for Windows:"
        cat "$work/$count.log"
        failed=$((failed + 1))
    fi
done <"$list"
[ "$failed" -eq 0 ] || { echo "$failed of $count files do not compile for Windows"; exit 1; }
echo "all $count files compile for Windows"
