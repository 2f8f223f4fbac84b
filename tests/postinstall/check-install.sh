#!/usr/bin/env bash
# Installs a build into a staging folder and makes its Debian package, then checks the files of
# both, the installed desktop entry, and where an installed copy keeps its settings. The package
# is checked with lintian and appstreamcli, installed into a throwaway root with its own dpkg
# database and purged again, which must leave nothing behind.
#   check-install.sh BUILD_DIR SETTINGS_PROBE
# A check whose tool is missing (scripts/install-deps.sh installs them all) is left out and the
# test ends with "SKIPPED: ..." once everything else has passed.
set -euo pipefail
build="$1"
probe="$2"
work="$(mktemp -d)"
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}
skipped=()
have() { # COMMAND PACKAGE
    command -v "$1" >/dev/null && return 0
    skipped+=("$1 is not installed (Debian package $2)")
    return 1
}

app_id=jp.example.pelorin
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")"
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
manual_pages=(Pelorin Primelet pelorinctl)
installed=(
    bin/Pelorin
    bin/Primelet
    bin/pelorinctl
    share/pelorin/help/index.html
    share/pelorin/help/index.en.html
    share/pelorin/help/help.css
    share/icons/hicolor/scalable/apps/pelorin.svg
    share/applications/$app_id.desktop
    share/metainfo/$app_id.metainfo.xml
    share/doc/pelorin/copyright
    share/doc/pelorin/changelog.Debian
)
for page in "${manual_pages[@]}"; do installed+=("share/man/man1/$page.1"); done
for size in 16 32 48 64 128 256; do installed+=("share/icons/hicolor/${size}x$size/apps/pelorin.png"); done
programs=(bin/Pelorin bin/Primelet bin/pelorinctl)
desktop_entry="share/applications/$app_id.desktop"

# Nothing from the tests or the simulator gets installed.
check_nothing_else() {
    local listing="$1" what="$2"
    if grep -E '(^|/)(tvsim|tst_[^/]*|settingsprobe)$' <<<"$listing"; then
        fail "$what holds files that are not for users"
    fi
}

echo "== cmake --install into a staging folder"
stage="$work/stage"
cmake --install "$build" --prefix "$stage" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "cmake --install failed"; }
for file in "${installed[@]}"; do
    [ -f "$stage/$file" ] || fail "not installed: $file"
done
for program in "${programs[@]}"; do
    [ -x "$stage/$program" ] || fail "not executable: $program"
done
check_nothing_else "$(cd "$stage" && find . -type f)" "the installation"
grep -qx 'Exec=Pelorin' "$stage/$desktop_entry" || fail "the desktop entry does not start Pelorin"
grep -qx 'Icon=pelorin' "$stage/$desktop_entry" ||
    fail "the desktop entry does not name the installed icon"
if have desktop-file-validate desktop-file-utils; then
    desktop-file-validate "$stage/$desktop_entry" || fail "the desktop entry is not valid"
fi
# One version everywhere: the programs, the manual pages and the AppStream release.
[ "$("$stage/bin/pelorinctl" --version)" = "pelorinctl $version" ] ||
    fail "pelorinctl --version does not say $version"
for page in "${manual_pages[@]}"; do
    grep -q "^\.TH .* \"Pelorin $version\"" "$stage/share/man/man1/$page.1" ||
        fail "the manual page $page.1 does not say Pelorin $version"
done
grep -q "<release version=\"$version\"" "$stage/share/metainfo/$app_id.metainfo.xml" ||
    fail "the AppStream metadata do not name release $version"

echo "== where the settings live"
# An installed copy (programs in <prefix>/bin beside <prefix>/share/pelorin) keeps its settings per
# user and never writes beside its executable; a portable copy keeps them beside it.
home="$work/home"
mkdir -p "$home"
cp "$probe" "$stage/bin/settingsprobe"
portable="$work/portable"
mkdir -p "$portable"
cp "$probe" "$portable/settingsprobe"
as_user=()
if [ "$(id -u)" -eq 0 ] && setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null; then
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chmod 755 "$work" "$stage" "$stage/bin" "$portable"
    chmod 777 "$home"
fi
run_as() { # run_as USER-PREFIX... -- PROGRAM ARGS...
    local prefix=()
    while [ "$1" != -- ]; do prefix+=("$1"); shift; done
    shift
    env -u XDG_CONFIG_HOME HOME="$home" QT_QPA_PLATFORM=offscreen "${prefix[@]}" "$@" 2>/dev/null
}
expect_settings() { # expect_settings EXPECTED WHY PROGRAM [USER-PREFIX...]
    local expected=$1 why=$2 program=$3 actual
    shift 3
    actual=$(run_as "$@" -- "$program")
    [ "$actual" = "$expected" ] || fail "$why: settings at '$actual', expected '$expected'"
    echo "ok: $why"
}
per_user="$home/.config/Pelorin/setting.ini"
expect_settings "$per_user" "an installed copy keeps the settings per user" "$stage/bin/settingsprobe"
actual=$(XDG_CONFIG_HOME="$work/xdg" HOME="$home" QT_QPA_PLATFORM=offscreen \
    "$stage/bin/settingsprobe" 2>/dev/null)
[ "$actual" = "$work/xdg/Pelorin/setting.ini" ] || fail "XDG_CONFIG_HOME is not followed: $actual"
expect_settings "$portable/setting.ini" "a portable copy keeps them beside itself" \
    "$portable/settingsprobe"
touch "$stage/bin/setting.ini" # left there by an older version
expect_settings "$per_user" "a settings file beside an installed copy is not used" \
    "$stage/bin/settingsprobe"
rm "$stage/bin/setting.ini"
if [ ${#as_user[@]} -gt 0 ]; then
    expect_settings "$per_user" "an installed copy, as another user" "$stage/bin/settingsprobe" \
        "${as_user[@]}"
    expect_settings "$portable/setting.ini" "a portable copy, as another user" \
        "$portable/settingsprobe" "${as_user[@]}"
else
    echo "note: cannot run as another user here; the other-user cases are not checked"
fi
# The first write makes the per-user folder for its owner alone; nothing lands in bin/.
run_as -- "$stage/bin/pelorinctl" config set Form Show Form >/dev/null ||
    fail "pelorinctl of the installed copy cannot store a setting"
[ "$(stat -c %a "$home/.config/Pelorin")" = 700 ] || fail "the settings folder is not 0700"
[ "$(stat -c %a "$per_user")" = 600 ] || fail "the settings file is not 0600"
[ ! -e "$stage/bin/setting.ini" ] || fail "an installed copy wrote beside its executable"
echo "ok: the settings folder is 0700, the file 0600, nothing beside the programs"

echo "== Debian package"
if ! have dpkg-deb dpkg; then
    printf 'SKIPPED: %s\n' "${skipped[@]}"
    exit 0
fi
# Under a lax umask: the package's folders must still have Debian's modes (lintian checks them).
(umask 002 && cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake") \
    >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
deb="$(find "$work/package" -maxdepth 1 -name '*.deb' | head -n 1)"
[ -n "$deb" ] || fail "cpack made no .deb"
echo "package: $(basename "$deb")"
[ "$(dpkg-deb -f "$deb" Package)" = pelorin ] || fail "the package is not called pelorin"
case "$(dpkg-deb -f "$deb" Version)" in
    "$version"-[0-9]*) ;;
    *) fail "the package's version $(dpkg-deb -f "$deb" Version) is not $version with a revision" ;;
esac
# The manual pages and the changelog are compressed in the package.
packaged() {
    case "$1" in
        share/man/*.1 | share/doc/pelorin/changelog.Debian) echo "/usr/$1.gz" ;;
        *) echo "/usr/$1" ;;
    esac
}
listing="$(dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|')"
for file in "${installed[@]}"; do
    grep -qx "$(packaged "$file")" <<<"$listing" || fail "not in the package: $(packaged "$file")"
done
check_nothing_else "$listing" "the package"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "depends: $depends"
for library in libqt6widgets6 libqt6network6 qt6-qpa-plugins; do
    grep -q "$library" <<<"$depends" || fail "the package does not depend on $library"
done
grep -q xdg-utils <<<"$(dpkg-deb -f "$deb" Recommends)" ||
    fail "the package does not recommend xdg-utils (the help manual is opened with xdg-open)"

if have lintian lintian; then
    echo "== lintian"
    # Tags that are neither errors nor warnings are shown too, but do not fail the check.
    lintian --fail-on error,warning --display-info "$deb" || fail "lintian found errors or warnings"
fi

contents="$work/contents"
dpkg-deb -x "$deb" "$contents"
if have appstreamcli appstream; then
    echo "== AppStream"
    # The metadata, and that the desktop entry and icon they name are in the package.
    appstreamcli validate-tree --no-net "$contents" || fail "the AppStream metadata are not valid"
fi

echo "== install into a throwaway root and purge"
# A root of its own with an empty dpkg database; the programs' libraries are not there, hence
# --force-depends. The log stays in the work folder. A user other than root gives the files to
# root through fakeroot.
dpkg_command=(dpkg)
if [ "$(id -u)" -ne 0 ]; then
    have fakeroot fakeroot || { printf 'SKIPPED: %s\n' "${skipped[@]}"; exit 0; }
    dpkg_command=(fakeroot dpkg --force-not-root)
fi
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
files_in_root() {
    (cd "$root" && find . -path ./var/lib/dpkg -prune -o -print | sort)
}
dpkg_root() {
    "${dpkg_command[@]}" --root="$root" --log="$work/dpkg.log" "$@" >>"$work/dpkg-run.log" 2>&1 ||
        { cat "$work/dpkg-run.log"; fail "dpkg $* failed"; }
}
before="$(files_in_root)"
dpkg_root --force-depends --install "$deb"
for file in "${installed[@]}"; do
    [ -e "$root$(packaged "$file")" ] || fail "not installed by dpkg: $(packaged "$file")"
done
[ "$(dpkg-query --root="$root" -W -f='${Status}' pelorin)" = "install ok installed" ] ||
    fail "dpkg does not list pelorin as installed"
dpkg_root --purge pelorin
left="$(comm -13 <(echo "$before") <(files_in_root))"
[ -z "$left" ] || { echo "$left"; fail "the purged package left files behind"; }

if [ ${#skipped[@]} -gt 0 ]; then
    printf 'SKIPPED: %s\n' "${skipped[@]}"
    exit 0
fi
echo "all installation checks passed"
