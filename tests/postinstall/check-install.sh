#!/usr/bin/env bash
# Installs a build into a staging folder and makes its Debian package, then checks the files of
# both, the installed desktop entry, and where an installed copy keeps its settings.
#   check-install.sh BUILD_DIR SETTINGS_PROBE
set -euo pipefail
build="$1"
probe="$2"
work="$(mktemp -d)"
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

installed=(
    bin/Pelorin
    bin/Primelet
    bin/pelorinctl
    share/pelorin/help/index.html
    share/pelorin/help/help.css
    share/icons/hicolor/48x48/apps/pelorin.png
    share/icons/hicolor/scalable/apps/pelorin.svg
    share/applications/pelorin.desktop
)
programs=(bin/Pelorin bin/Primelet bin/pelorinctl)

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
# The help lookup goes from the program's folder to ../share/pelorin/help.
[ -f "$stage/bin/../share/pelorin/help/index.html" ] || fail "help manual not where Pelorin looks"
grep -qx 'Exec=Pelorin' "$stage/share/applications/pelorin.desktop" ||
    fail "the desktop entry does not start Pelorin"
grep -qx 'Icon=pelorin' "$stage/share/applications/pelorin.desktop" ||
    fail "the desktop entry does not name the installed icon"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$stage/share/applications/pelorin.desktop" ||
        fail "the desktop entry is not valid"
else
    echo "note: desktop-file-validate is not installed; the desktop entry is not validated"
fi

echo "== settings file of an installed copy"
home="$work/home"
mkdir -p "$home"
cp "$probe" "$stage/bin/settingsprobe"
run_probe() {
    env -u XDG_CONFIG_HOME HOME="$home" QT_QPA_PLATFORM=offscreen "$@" "$stage/bin/settingsprobe" 2>/dev/null
}
expect_settings() {
    local expected="$1" why="$2" actual
    shift 2
    actual="$(run_probe "$@")"
    [ "$actual" = "$expected" ] || fail "$why: settings at '$actual', expected '$expected'"
    echo "ok: $why"
}
# As its owner may write there, the folder counts as a portable copy.
expect_settings "$stage/bin/setting.ini" "a writable program folder keeps the settings"

# A user who may not write into the program folder (as in /usr/bin) gets the per-user folder.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    if setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null; then
        as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
        chmod 755 "$work" "$stage" "$stage/bin"
        chmod 777 "$home"
    fi
else
    chmod a-w "$stage/bin"
    as_user=(env)
fi
if [ ${#as_user[@]} -gt 0 ]; then
    expect_settings "$home/.config/Pelorin/setting.ini" \
        "a read-only program folder sends the settings to the user's folder" "${as_user[@]}"
    chmod u+w "$stage/bin"
    touch "$stage/bin/setting.ini"
    chmod 644 "$stage/bin/setting.ini"
    [ "$(id -u)" -eq 0 ] || chmod a-w "$stage/bin"
    expect_settings "$stage/bin/setting.ini" \
        "a settings file beside the programs is used even where it cannot be written" "${as_user[@]}"
    chmod u+w "$stage/bin"
else
    echo "note: cannot run as another user here; the read-only folder case is not checked"
fi

echo "== Debian package"
if ! command -v dpkg-deb >/dev/null; then
    echo "SKIPPED: dpkg-deb is not installed; the package is not built"
    exit 0
fi
cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
deb="$(find "$work/package" -maxdepth 1 -name '*.deb' | head -n 1)"
[ -n "$deb" ] || fail "cpack made no .deb"
echo "package: $(basename "$deb")"
[ "$(dpkg-deb -f "$deb" Package)" = pelorin ] || fail "the package is not called pelorin"
listing="$(dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|')"
for file in "${installed[@]}"; do
    grep -qx "/usr/$file" <<<"$listing" || fail "not in the package: /usr/$file"
done
check_nothing_else "$listing" "the package"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "depends: $depends"
for library in libqt6widgets6 libqt6network6 qt6-qpa-plugins; do
    grep -q "$library" <<<"$depends" || fail "the package does not depend on $library"
done
echo "all installation checks passed"
