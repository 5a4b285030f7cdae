#!/usr/bin/env bash
# Starts Velmaro.exe under Wine in a virtual desktop with a taskbar and tray.
# With no X display it runs under its own Xvfb and saves a screenshot of the
# desktop with the tray icon. Runs until interrupted (or until Exit).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$root/build/wine/run
"$root/tools/wine-prefix.sh"
source "$root/tools/wine-env.sh"
"$root/tools/wine-build.sh"
exe=$VELMARO_WINE_BUILD/Velmaro.exe

source "$root/tools/xvfb.sh"
if has_display; then
  exec wine "$exe"
fi
start_xvfb
trap 'wineserver -k 2>/dev/null || true; kill $xvfb_pid 2>/dev/null || true' EXIT INT TERM

wine "$exe" &
program=$!
sleep "${VELMARO_SHOT_DELAY:-6}"
mkdir -p "$root/build/screenshots"
shot=$root/build/screenshots/desktop.png
import -window root "$shot"
echo "Velmaro runs under Wine on the virtual display $DISPLAY (no display was set)."
echo "Screenshot of the desktop with the tray icon: $shot"
echo "Press Ctrl+C to stop."
wait $program
