#!/usr/bin/env bash
# The installer's tests: Velmaro-Setup.exe installed and uninstalled silently
# in a fresh Wine prefix of their own (copied from the template), on the
# current X display, since they change the machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$root/build/wine/setup
"$root/tools/wine-prefix.sh"            # builds the template once
source "$root/tools/wine-env.sh"
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
cp -a "$root/build/wine/template" "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1 || true
cd "$root/build/windows"
status=0
# Wine's helper processes outlive the tests: they get a file, not our pipes.
out=$(mktemp "$TMPDIR/setup-tests.XXXXXX")
wine velmaro_setup_tests.exe "$@" >"$out" 2>&1 </dev/null || status=$?
cat "$out"
rm -f "$out"
wineserver -k 2>/dev/null || true
exit $status
