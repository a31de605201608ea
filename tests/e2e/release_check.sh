#!/bin/bash
# The packages of `make dist`, as a user meets them, in a fresh Wine prefix of
# their own (not the session's): the zips hold what they must, stripped; the
# installer runs silently, the installed program starts and shows its tray
# icon and its version; the uninstaller removes what the installer put there
# and nothing else; the program of the unpacked zip starts, and its vntool
# opens the sample menu with the documented user and password.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../../app/e2e/vantrel.sh"

dist=${VANTREL_DIST:?the packages folder (make dist writes OUT/dist)}
setup=$(ls "$dist"/Vantrel-*-setup.exe 2>/dev/null || true)
[ "$(wc -w <<<"$setup")" = 1 ] || fail "not one installer in $dist: $setup"
version=${setup##*/Vantrel-}; version=${version%-setup.exe}
note "version $version"
started=$SECONDS

# The sample menu file, and the user the guide names for it.
sample=Tour.vn tour_menu=Tour tour_user=writer tour_password=tour
expected="AhCommon.dll LICENSE.txt THIRD-PARTY-NOTICES.txt $sample Vantrel.exe Vantrel.ico Vantrel.ini
VantrelHK.dll guide/index.html vnChs.dll vnCht.dll vnEng.dll vntool.exe"
programs="Vantrel.exe AhCommon.dll VantrelHK.dll vntool.exe"

# check_zip ARCH OBJDUMP_FORMAT: unpacks it and checks its files; prints the
# folder. The folder's name holds characters the Western code page of this
# prefix cannot carry, as a Chinese user name would on such a system.
check_zip() {
    local zip="$dist/Vantrel-$version-$1.zip" dir="$E2E_TMP/下载 說明 zip-$1" top file listed
    [ -f "$zip" ] || fail "$zip is missing"
    unzip -q "$zip" -d "$dir" || fail "$zip does not unpack"
    top="$dir/Vantrel-$version-$1"
    [ -d "$top" ] || fail "$zip has no folder Vantrel-$version-$1"
    listed=$(cd "$top" && find . -type f | sed 's|^\./||' | sort)
    for file in $expected; do
        grep -qx "$file" <<<"$listed" || fail "$zip lacks $file"
    done
    for file in $programs; do
        objdump -h "$top/$file" | grep -q "file format $2" || fail "$1/$file is not $2"
        ! objdump -h "$top/$file" | grep -q ' \.debug_' || fail "$1/$file is not stripped"
        objdump -h "$top/$file" | grep -q ' \.gnu_debuglink' || fail "$1/$file does not name its symbols"
    done
    echo "$top"
}
zip64=$(check_zip win64 pei-x86-64)
zip32=$(check_zip win32 pei-i386)
size=$(stat -c %s "$dist/Vantrel-$version-win64.zip")
note "win64 zip: $size bytes"
[ "$size" -lt 2097152 ] || fail "the win64 zip has $size bytes, not under 2 MB"

# A prefix of this check's own, under the build folder, with its own home so
# that its Documents folder is not the user's.
fresh="$(dirname "$VANTREL_BIN")/release-prefix"
release_cleanup() {
    e2e_cleanup
    WINEPREFIX="$fresh/prefix" wineserver -k >/dev/null 2>&1 || true
    rm -rf "$fresh"
}
trap release_cleanup EXIT
rm -rf "$fresh"
mkdir -p "$fresh/home"
export WINEPREFIX="$fresh/prefix" HOME="$fresh/home"
quiet() { timeout 300 "$@" </dev/null >>"$E2E_TMP/wine.log" 2>&1; }
quiet wineboot -i || fail "wineboot could not make the prefix: $(tail -n 20 "$E2E_TMP/wine.log")"
quiet wineserver -w
wine_tool "leaving windows unmanaged" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
wine_tool "turning off the crash dialog" \
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
quiet wineserver -w
note "fresh prefix made in $((SECONDS - started)) s"

# unix_path WINDOWS_VARIABLE: where %VARIABLE% of the prefix lies here.
unix_path() {
    winepath -u "$(wine cmd /c echo "%$1%" </dev/null 2>/dev/null | tr -d '\r')" 2>/dev/null
}
reg_has() { wine reg query "$@" </dev/null >/dev/null 2>&1; }
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel'

tray_shown() { window_exists 'Wine System Tray'; }
! tray_shown || fail "a tray icon is shown before the program starts"

# run_program DIR: starts DIR/Vantrel.exe (finding its libraries beside it
# only), waits for its tray icon, checks the version in its About box, and
# ends it from its tray menu's Exit.
run_program() {
    start_copy "$1"
    local pid=$LAST_PID
    wait_for 60 "the tray icon of $1/Vantrel.exe" tray_shown
    ctl command 57664 >/dev/null
    wait_for 15 "the About box" window_exists 'About Vantrel'
    ctl texts 'About Vantrel' | grep -qx "Version $version" ||
        fail "the About box does not show version $version: $(ctl texts 'About Vantrel' | tr '\n' '|')"
    ctl press 'About Vantrel' 1 >/dev/null
    wait_for 10 "the About box to close" bash -c '! xdotool search --onlyvisible --name "^About Vantrel$" | grep -q .'
    ctl command 57665 >/dev/null
    await_exit "$pid" 15
    [ "$EXIT_CODE" = 0 ] || fail "the program ended with $EXIT_CODE"
    wait_for 15 "the tray icon to go" bash -c '! xdotool search --name "^Wine System Tray$" | grep -q .'
}

# Install, silently.
t=$SECONDS
quiet wine "$(winepath -w "$setup")" /S || fail "the installer failed (exit code $?)"
quiet wineserver -w
note "installed in $((SECONDS - t)) s"
program=$(unix_path LOCALAPPDATA)/Programs/Vantrel
documents=$(unix_path USERPROFILE)/Documents/Vantrel
shortcut="$(unix_path APPDATA)/Microsoft/Windows/Start Menu/Programs/Vantrel.lnk"
for file in $expected uninstall.exe; do
    [ "$file" = "$sample" ] && continue
    [ -f "$program/$file" ] || fail "the installer did not put $file in $program"
done
[ ! -e "$program/$sample" ] || fail "the sample menu file is in the program folder"
[ -f "$documents/$sample" ] || fail "the sample menu file is not in the documents folder"
[ -f "$shortcut" ] || fail "no Start-menu entry"
reg_has "$run_key" /v Vantrel || fail "no Run value: Vantrel does not start with Windows"
[ "$(wine reg query "$uninstall_key" /v DisplayVersion </dev/null 2>/dev/null | tr -d '\r' |
    awk '$1 == "DisplayVersion" {print $3}')" = "$version" ] || fail "the Uninstall entry is not of version $version"
[ "$(setting File)" = "$(winepath -w "$documents/$sample")" ] || fail "the menu-file setting is '$(setting File)'"

run_program "$program"
note "installed program ran"

# Uninstall: a file of the user's in the program folder and the menu files
# in the documents folder stay; everything else the installer made goes.
echo "mine" >"$program/my-notes.txt"
cp "$documents/$sample" "$documents/mine.vn"
t=$SECONDS
quiet wine "$(winepath -w "$program/uninstall.exe")" /S || fail "the uninstaller failed"
# It runs from a copy in the temporary folder: wait for that to end.
wait_for 60 "the uninstaller to finish" bash -c "! wine reg query '$uninstall_key' </dev/null >/dev/null 2>&1"
quiet wineserver -w
note "uninstalled in $((SECONDS - t)) s"
left=$(cd "$program" && find . -mindepth 1 | sed 's|^\./||' | sort | tr '\n' ' ')
[ "$left" = "my-notes.txt " ] || fail "the program folder holds '$left', not just the user's file"
[ -f "$documents/$sample" ] && [ -f "$documents/mine.vn" ] || fail "the user's menu files were removed"
[ ! -e "$shortcut" ] || fail "the Start-menu entry is left"
! reg_has "$run_key" /v Vantrel || fail "the Run value is left"
! reg_has "$SETTINGS_KEY" || fail "the settings are left"
! reg_has "$uninstall_key" || fail "the Uninstall entry is left"

# The portable zip: its program starts from the unpacked folder, and its
# vntool opens the sample menu with the documented user and password.
run_program "$zip64"
note "zip's program ran"
dump=$(wine "$zip64/vntool.exe" dump "$(winepath -w "$zip64/$sample")" --menu "$tour_menu" --user "$tour_user" \
    --password "$tour_password" </dev/null 2>&1 | tr -d '\r') || fail "vntool dump of the sample failed: $dump"
grep -q '"submenu"' <<<"$dump" || fail "the sample menu has no submenu"
[ "$(cmp "$zip64/$sample" "$zip32/$sample" && echo same)" = same ] || fail "the two zips hold different sample menus"
note "whole check: $((SECONDS - started)) s"
echo "PASS"
