#!/usr/bin/env bash
# --help and --version of both programs exit 0 and never open a display: with
# DISPLAY and WAYLAND_DISPLAY pointing nowhere, opening one would fail. Bad
# options print the usage on stderr and exit 2.
# usage: cli_test.sh CORVANE-ADJUST CORVANE-SNAPSHOT
set -uo pipefail
export DISPLAY=:65000 WAYLAND_DISPLAY=corvane-no-such-socket
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for program in "$1" "$2"; do
  name=$(basename "$program")
  for option in --help --version; do
    out=$("$program" "$option" 2>/tmp/cli_test_err.$$); status=$?
    [ "$status" -eq 0 ] || fail "$name $option exited $status: $(cat /tmp/cli_test_err.$$)"
    [ -s /tmp/cli_test_err.$$ ] && fail "$name $option wrote to stderr: $(cat /tmp/cli_test_err.$$)"
    [ -n "$out" ] || fail "$name $option printed nothing"
  done
  version=$("$program" --version)
  [[ "$version" =~ ^$name\ [0-9]+\.[0-9]+(\.[0-9]+)?$ ]] || fail "$name --version printed \"$version\""
  out=$("$program" --no-such-option 2>/tmp/cli_test_err.$$); status=$?
  [ "$status" -eq 2 ] || fail "$name --no-such-option exited $status, not 2"
  [ -z "$out" ] || fail "$name --no-such-option wrote to stdout"
  grep -q "^usage: $name" /tmp/cli_test_err.$$ || fail "$name --no-such-option printed no usage on stderr"
done
rm -f /tmp/cli_test_err.$$
[ "$failures" -eq 0 ] && echo "both programs: --help, --version and bad options behave"
exit $((failures > 0))
