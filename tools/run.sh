#!/usr/bin/env bash
# Starts Velmaro.exe under Wine in a virtual desktop with a taskbar and tray.
# With no X display it runs under its own Xvfb and saves a screenshot of the
# desktop with the tray icon. Runs until interrupted (or until Exit).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$root/build/wine/run
source "$root/tools/wine-env.sh"
source "$root/tools/xvfb.sh"
# The display first, so that it ends after the Wine world that uses it.
own_display=0
has_display || { start_xvfb; own_display=1; }
on_exit wine_end
"$root/tools/wine-prefix.sh"
"$root/tools/wine-build.sh"
exe=$VELMARO_WINE_BUILD/Velmaro.exe

if [ "$own_display" -eq 0 ]; then
  wine "$exe"
  exit
fi

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
