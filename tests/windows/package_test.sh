#!/usr/bin/env bash
# The Windows packages under Wine (WINEPREFIX set, as scripts/wine-session
# does): the zip holds the program, the readme and FreeType's licence; the
# installer installs silently (/S) into Program Files with a Start-menu entry
# and an uninstaller; the installed program prints its version; the
# uninstaller removes all of it.
# Usage: tests/windows/package_test.sh ZIP INSTALLER
set -euo pipefail

zip=$1
installer=$2
version=$(basename "$zip" | sed -n 's/^corvane-adjust_\(.*\)_win64\.zip$/\1/p')
fail() { echo "FAIL: $*" >&2; exit 1; }
: "${WINEPREFIX:?run under scripts/wine-session}"
[ -n "$version" ] || fail "$zip is not named corvane-adjust_VERSION_win64.zip"

listing=$(cmake -E tar tf "$zip")
name=$(basename "$zip" .zip)
for f in corvane-adjust.exe README.txt FreeType-LICENSE.txt; do
  grep -qx "$name/$f" <<<"$listing" || fail "$zip lacks $name/$f; it holds: $listing"
done
[ "$(wc -l <<<"$listing")" -le 4 ] || fail "$zip holds more than the program, readme and licence: $listing"

dir="$WINEPREFIX/drive_c/Program Files/Corvane LCD Adjustment"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Corvane LCD Adjustment.lnk"
[ ! -e "$dir" ] || fail "$dir exists before the installation"
DISPLAY= wine "$installer" /S </dev/null >/dev/null 2>&1 || fail "the installer failed (status $?)"
for f in corvane-adjust.exe uninstall.exe README.txt FreeType-LICENSE.txt; do
  [ -f "$dir/$f" ] || fail "the installer left no $f in $dir"
done
[ -f "$menu" ] || fail "no Start-menu entry: $menu"

shown=$(DISPLAY= wine "$dir/corvane-adjust.exe" --version </dev/null 2>&1)
[ "$shown" = "corvane-adjust $version" ] || fail "the installed program says \"$shown\", not \"corvane-adjust $version\""

# The uninstaller copies itself away and returns at once; the files go soon after.
DISPLAY= wine "$dir/uninstall.exe" /S </dev/null >/dev/null 2>&1 || fail "the uninstaller failed (status $?)"
for _ in $(seq 100); do
  [ -e "$dir" ] || [ -e "$menu" ] || break
  sleep 0.2
done
[ ! -e "$dir" ] || fail "the uninstaller left $dir: $(ls "$dir")"
[ ! -e "$menu" ] || fail "the uninstaller left the Start-menu entry"
echo "windows packages: zip, silent install, version, uninstall: ok"
