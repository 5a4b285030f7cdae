#!/usr/bin/env bash
# The installer's tests: Velmaro-Setup.exe installed and uninstalled silently
# in a fresh Wine prefix of their own (copied from the template), on the
# current X display, since they change the machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$root/build/wine/setup
"$root/tools/wine-prefix.sh" --fresh
source "$root/tools/wine-env.sh"
cd "$root/build/windows"
status=0
"$root/tools/wine-run.sh" velmaro_setup_tests.exe "$@" || status=$?
wineserver -k 2>/dev/null || true
exit $status
