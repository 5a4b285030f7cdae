#!/usr/bin/env bash
# The Win32 tests: ctest in the tree Wine runs here, in the project's prefix,
# on the current X display or else a private Xvfb; the installer's cases run
# beside them (tools/test-setup.sh). Whatever way ctest ends, the Wine worlds
# of both prefixes end with this script.
#   tools/test-win32.sh [CTEST ARGUMENTS...]   for example -R Win32Registry
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/on-exit.sh"
source "$root/tools/wine-env.sh"
source "$root/tools/xvfb.sh"
has_display || start_xvfb
# The installer's script ends its own, unless ctest's time-out killed it.
on_exit "wine_end $(printf '%q ' "$WINEPREFIX" "$root/build/wine/setup")"
"$root/tools/wine-prefix.sh"
cd "$VELMARO_WINE_BUILD"
start_group ctest --output-on-failure "$@"
wait_group "$group_pid"
