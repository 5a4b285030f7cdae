#!/usr/bin/env bash
# The installer's tests: Velmaro-Setup.exe installed and uninstalled silently,
# each case in a fresh Wine prefix of its own (copied from the template), since
# they change the machine. Where 32-bit programs cannot run, the 64-bit test
# build carries a 64-bit installer of its exe.
#
# They run beside the Win32 tests, and so on an X display of their own: on a
# shared display, each prefix's clipboard manager fetches the X selection the
# other one takes, and the owner opens its clipboard to hand it over, so a
# Win32 test that pastes just after it copied could find the clipboard locked.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/xvfb.sh"
start_xvfb
export WINEPREFIX=$root/build/wine/setup
source "$root/tools/wine-env.sh"
on_exit wine_end
cd "$VELMARO_WINE_BUILD"
"$root/tools/wine-prefix.sh" --fresh
cases=$("$root/tools/wine-run.sh" velmaro_setup_tests.exe --gtest_list_tests "$@" | tr -d '\r' |
  awk '/^[^ ]/ { suite = $1 } /^  [^ ]/ { print suite $1 }')
status=0
for name in $cases; do
  "$root/tools/wine-prefix.sh" --fresh
  "$root/tools/wine-run.sh" velmaro_setup_tests.exe --gtest_filter="$name" || status=1
done
[ -n "$cases" ] || status=1
exit $status
