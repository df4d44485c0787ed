#!/usr/bin/env bash
# `make install` lays out exactly the expected files under DESTDIR and PREFIX;
# the desktop entry and the AppStream metadata validate; the man pages render
# and document every option --help lists; an unwritable PREFIX fails clearly.
# usage: check_install.sh BUILD_DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/checks.sh"
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

if ! DESTDIR=$tmp/root cmake --install "$build" --prefix /usr/local >"$tmp/install.log" 2>&1; then
  cat "$tmp/install.log" >&2
  fail "cmake --install with DESTDIR failed"
fi
prefix=$tmp/root/usr/local
[ -z "$(ls -A "$tmp/root" | grep -vx usr)" ] || fail "files were installed outside PREFIX: $(ls "$tmp/root")"
check_layout "$prefix" "$here/installed-files.txt"
check_desktop_integration "$prefix"
for program in corvane-adjust corvane-snapshot; do
  check_man_page "$prefix/bin/$program" "$prefix/share/man/man1/$program.1.gz"
done

# An unwritable PREFIX: a path through a plain file can never be created.
touch "$tmp/plain-file"
if DESTDIR= cmake --install "$build" --prefix "$tmp/plain-file/usr" >"$tmp/bad.log" 2>&1; then
  fail "installing under a plain file succeeded"
fi
grep -q "cannot install into $tmp/plain-file/usr" "$tmp/bad.log" || fail "no clear error for an unwritable PREFIX: $(cat "$tmp/bad.log")"
[ ! -e "$tmp/plain-file/usr" ] || fail "something was installed under the unwritable PREFIX"

# The usual case: a user without root installing into a root-owned folder.
# Runs where root can act as nobody and nobody can read the build folder.
as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }
chmod 755 "$tmp"
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null && as_nobody test -r "$build/cmake_install.cmake" 2>/dev/null; then
  mkdir -p "$tmp/rootonly" && chmod 755 "$tmp/rootonly"
  if as_nobody cmake --install "$build" --prefix "$tmp/rootonly/usr" >"$tmp/user.log" 2>&1; then
    fail "an unprivileged user installed into a root-owned folder"
  fi
  grep -q "cannot install into $tmp/rootonly/usr" "$tmp/user.log" ||
    fail "no clear error for an unprivileged install: $(cat "$tmp/user.log")"
fi

[ "$failures" -eq 0 ] && echo "install layout, desktop entry, metainfo, icons and man pages are as expected"
exit $((failures > 0))
