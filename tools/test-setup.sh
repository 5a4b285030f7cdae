#!/usr/bin/env bash
# The installer's tests: Velmaro-Setup.exe installed and uninstalled silently
# in a fresh Wine prefix of their own (copied from the template), on the
# current X display, since they change the machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$root/build/wine/setup
source "$root/tools/wine-env.sh"
if [ "$VELMARO_WINE_ARCH" = win64 ]; then
  # The installer is a 32-bit program whatever it carries (ctest: skipped).
  echo "skipped: this machine cannot run 32-bit programs such as the installer"
  exit 77
fi
"$root/tools/wine-prefix.sh" --fresh
cd "$VELMARO_WINE_BUILD"
status=0
"$root/tools/wine-run.sh" velmaro_setup_tests.exe "$@" || status=$?
wineserver -k 2>/dev/null || true
exit $status
