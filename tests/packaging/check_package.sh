#!/usr/bin/env bash
# Checks a built Debian package: its Depends, its files, that the programs it
# holds run once unpacked, and that lintian finds no error.
# usage: check_package.sh PACKAGE.deb
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/checks.sh"
deb=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
[ -f "$deb" ] || { echo "FAIL: no package $deb" >&2; exit 1; }

echo "== dpkg-deb -I $deb"
dpkg-deb -I "$deb" | tee "$tmp/info"
depends=$(dpkg-deb -f "$deb" Depends)
for package in fonts-liberation2 hwdata libc6 libstdc++6 libsdl2-2.0-0 libx11-6 libxrandr2 libsystemd0 libfreetype6 libfontconfig1 libpng16-16; do
  echo "$depends" | tr ',' '\n' | awk '{print $1}' | grep -qxF "$package" || fail "Depends lacks $package: $depends"
done

echo "== dpkg-deb -c $deb"
dpkg-deb -c "$deb" | tee "$tmp/contents"
awk '$1 ~ /^-/ {print $6}' "$tmp/contents" | sed 's|^\./usr/||' | LC_ALL=C sort >"$tmp/files"
{
  cat "$here/installed-files.txt"
  echo share/doc/corvane-adjust/changelog.gz
  echo share/doc/corvane-adjust/copyright
} | LC_ALL=C sort >"$tmp/expected"
missing=$(LC_ALL=C comm -23 "$tmp/expected" "$tmp/files")
extra=$(LC_ALL=C comm -13 "$tmp/expected" "$tmp/files")
[ -z "$missing" ] || fail "not in the package: $(echo $missing)"
[ -z "$extra" ] || fail "in the package but not expected: $(echo $extra)"
grep -vq 'root/root' "$tmp/contents" && fail "files not owned by root/root: $(grep -v root/root "$tmp/contents")"

echo "== dpkg -x, then run the programs"
dpkg -x "$deb" "$tmp/root"
usr=$tmp/root/usr
version=$(dpkg-deb -f "$deb" Version)
[ "$("$usr/bin/corvane-adjust" --version)" = "corvane-adjust $version" ] ||
  fail "the packaged corvane-adjust does not print version $version"
if ! env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/corvane-snapshot" --mode 800x600@60 --png "$tmp/page.png"; then
  fail "corvane-snapshot --mode 800x600@60 --png failed"
elif ! is_png "$tmp/page.png"; then
  fail "corvane-snapshot wrote no PNG"
elif [ "$(png_size "$tmp/page.png")" != 800x600 ]; then
  fail "corvane-snapshot's picture is $(png_size "$tmp/page.png"), not 800x600"
else
  echo "corvane-snapshot wrote an 800x600 picture"
fi
check_desktop_integration "$usr"
for program in corvane-adjust corvane-snapshot; do
  check_man_page "$usr/bin/$program" "$usr/share/man/man1/$program.1.gz"
done

echo "== lintian"
# lintian warns that it runs as root; CI runs everything as root.
lintian --display-info --fail-on error "$deb" 2> >(grep -v 'running with root privileges' >&2) || fail "lintian found errors"

[ "$failures" -eq 0 ] && echo "package $deb is as expected"
exit $((failures > 0))
