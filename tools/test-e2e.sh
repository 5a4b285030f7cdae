#!/usr/bin/env bash
# End-to-end tests: the real exe in a fresh Wine prefix (copied from the
# template), on the current X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$root/build/wine/e2e
"$root/tools/wine-prefix.sh" --fresh
source "$root/tools/wine-env.sh"
cd "$root/build/windows"
status=0
wine velmaro_e2e_tests.exe "$@" || status=$?
wineserver -k 2>/dev/null || true
exit $status
